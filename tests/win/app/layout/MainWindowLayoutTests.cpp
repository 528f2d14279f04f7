// What a user sees on the four pages, control by control: the table below is the
// product's own description of the window, checked against the real windows.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/Pictures.h"
#include "support/MainWindowTest.h"
#include "support/ModalScript.h"
#include "support/Desktop.h"

using namespace mirulo;

namespace {

using testkit::PlaceInParent;

enum Parent { Page0, Page1, Page2, Page3, Strip };
enum State : unsigned { kOn = 0, kChecked = 1, kDisabled = 2, kHidden = 4, kFitsText = 8 };

struct Expected {
    const wchar_t* name;
    const wchar_t* windowClass;
    Parent parent;
    int x, y, width, height; // at 96 DPI within the page (group contents: page coordinates)
    const wchar_t* caption;  // nullptr: not checked (pictures, icon buttons, lists)
    const wchar_t* hint;     // nullptr: none
    unsigned state;
};

constexpr wchar_t kKeysHint[] = L"スクショを実行するキーの設定";
constexpr wchar_t kClipHint[] = L"撮影と同時に画像をクリップボードへコピー(XやDiscordにCtrl+Vで貼付可能)";
constexpr wchar_t kClipCaption[] = L"保存と同時に画像をクリップボードへコピー";
constexpr wchar_t kEditorHint[] = L"画像エディタボタンで使うアプリを指定";
constexpr wchar_t kNowHint[] = L"今すぐスクショ(キーでなくボタンでスクショしたい時に)";
constexpr wchar_t k3Hint[] = L"3秒後にスクショ(キーでなくボタンでスクショしたい時に)";
constexpr wchar_t k10Hint[] = L"10秒後にスクショ(キーでなくボタンでスクショしたい時に)";
constexpr wchar_t kTimerHint[] = L"タイマーで連続スクショ";

// Places of the two group boxes, for the controls placed inside them.
constexpr int kEditorX = 30, kEditorY = 239, kSoundX = 45, kSoundY = 60;

const Expected kControls[] = {
    {L"img_05", L"Static", Page0, 1, 0, 321, 50, nullptr, nullptr, kOn},
    {L"lb_PicList", L"ListBox", Page0, 4, 49, 319, 350, nullptr,
     L"[左ダブルクリック] 画像表示\u3000[右クリック] クリップボードへコピー\u3000[Shift＋右クリック] "
     L"画像編集\u3000"
     L"[Shift＋左クリック] ファイル名変更",
     kOn},
    {L"Label9", L"Static", Page0, 333, 46, 60, 19, L"固定範囲", nullptr, kOn},
    {L"btn_ShotRect", L"Button", Page0, 333, 71, 60, 25, L"今すぐ", L"固定範囲を撮影", kOn},
    {L"Label14", L"Static", Page0, 333, 103, 60, 19, L"指定範囲", nullptr, kOn},
    {L"btn_Capture", L"Button", Page0, 333, 128, 60, 25, L"今すぐ", kNowHint, kOn},
    {L"btn_Capture3", L"Button", Page0, 333, 159, 60, 25, L"3秒後", k3Hint, kOn},
    {L"btn_Capture10", L"Button", Page0, 333, 190, 60, 25, L"10秒後", k10Hint, kOn},
    {L"Label20", L"Static", Page0, 333, 222, 60, 19, L"全画面", nullptr, kOn},
    {L"btn_3Capture", L"Button", Page0, 333, 247, 60, 25, L"今すぐ", kNowHint, kOn},
    {L"btn_3Capture3", L"Button", Page0, 333, 278, 60, 25, L"3秒後", k3Hint, kOn},
    {L"btn_3Capture10", L"Button", Page0, 333, 309, 60, 25, L"10秒後", k10Hint, kOn},
    {L"img_01", L"Static", Page0, 323, 360, 80, 103, nullptr, nullptr, kOn},
    {L"btn_OpenFolder", L"Button", Page0, 4, 400, 39, 31, nullptr, L"画像フォルダーを開く", kOn},
    {L"btn_ReLoad", L"Button", Page0, 44, 400, 39, 31, nullptr, L"画像一覧の更新", kOn},
    {L"btn_Dust", L"Button", Page0, 84, 400, 39, 31, nullptr,
     L"画像をゴミ箱へ移動 / 元に戻すにはボタン右クリック", kOn},
    {L"btn_ReName", L"Button", Page0, 124, 400, 39, 31, nullptr, L"画像ファイル名の変更", kOn},
    {L"btn_Clipboard", L"Button", Page0, 164, 400, 39, 31, nullptr,
     L"画像をクリップボードへコピー(XやDiscordにCtrl+Vで貼付可能)", kOn},
    {L"btn_Viewer", L"Button", Page0, 204, 400, 39, 31, nullptr, L"画像を内蔵ビューアで表示", kOn},
    {L"btn_Edit", L"Button", Page0, 244, 400, 39, 31, nullptr, L"画像を指定の画像編集ソフトで開く", kOn},
    {L"img_Title1", L"Static", Page0, 2, 429, 200, 34, nullptr, nullptr, kOn},
    {L"img_Title2", L"Static", Page0, 3, 428, 200, 34, nullptr, nullptr, kHidden},
    {L"lvl_Ver", L"Static", Page0, 209, 441, 55, 17, L"ver.2.10", nullptr, kFitsText},
    {L"StatusBar1", L"msctls_statusbar32", Page0, 2, 464, 401, 19, nullptr, nullptr, kOn},

    {L"Label8", L"Static", Page1, 10, 11, 132, 24, L"■保存先フォルダ", nullptr, kFitsText},
    {L"btn_SaveFolder", L"Button", Page1, 30, 37, 39, 31, nullptr,
     L"スクショした画像を保存するフォルダを指定", kOn},
    {L"lbl_SaveFolder", L"Static", Page1, 72, 43, 320, 17, L"", nullptr, kOn},
    {L"Label15", L"Static", Page1, 10, 78, 331, 24, L"■画像サイズ合計管理（自動削除機能）", nullptr,
     kFitsText},
    {L"chk_Capa", L"Button", Page1, 30, 112, 71, 17, L"有効化",
     L"画像サイズ合計(MB)が指定値を超えると画像一覧の下から順に自動削除", kOn},
    {L"edt_Capa", L"Edit", Page1, 112, 108, 54, 25, nullptr, L"画像サイズ合計(MB)の最大値を半角数値で入力",
     kDisabled},
    {L"Label17", L"Static", Page1, 170, 114, 20, 17, L"MB", nullptr, kFitsText},
    {L"Label13", L"Static", Page1, 10, 143, 95, 24, L"■画像形式", nullptr, kFitsText},
    {L"cb_PNGorJPG", L"ComboBox", Page1, 30, 171, 74, 25, nullptr,
     L"画像の保存形式(PNG:鮮明、JPG:僅かに小サイズ)", kOn},
    {L"Label16", L"Static", Page1, 10, 210, 135, 24, L"■画像編集ソフト", nullptr, kFitsText},
    {L"gb_Editor", L"Button", Page1, 30, 239, 224, 30, L"", kEditorHint, kOn},
    {L"rd_GrEdit1", L"Button", Page1, kEditorX + 11, kEditorY + 7, 94, 17, L"ペイント", kEditorHint,
     kChecked},
    {L"rd_GrEdit2", L"Button", Page1, kEditorX + 111, kEditorY + 7, 113, 17, L"任意", kEditorHint, kOn},
    {L"btn_Editor", L"Button", Page1, 30, 272, 39, 31, nullptr, kEditorHint, kOn},
    {L"lbl_Editor", L"Static", Page1, 72, 279, 320, 17, L"", nullptr, kDisabled},
    {L"Label6", L"Static", Page1, 10, 317, 222, 24, L"■自動起動 ＆ トレイアイコン", nullptr, kFitsText},
    {L"cb_AutoStart", L"Button", Page1, 30, 348, 240, 17, L"Windows起動時に自動実行する",
     L"パソコン起動時に自動起動（起動し忘れ防止）", kOn},
    {L"chk_Minimized", L"Button", Page1, 30, 368, 240, 17, L"起動時に最小化", L"ミルロ起動時に自動的に最小化",
     kOn},
    {L"chk_TrayIcon", L"Button", Page1, 30, 388, 240, 17, L"最小化時は通知領域にアイコン表示",
     L"最小化時はタスクバーに表示せず通知領域アイコンで表示（アイコンクリックで復帰）", kOn},
    {L"chk_ExecUO", L"Button", Page1, 30, 408, 240, 17, L"ミルロ起動と同時にUOも起動",
     L"ミルロを起動したら同時にUOも起動可能（すでにUOが起動中の場合を除く）", kOn},
    {L"btn_ExecUO", L"Button", Page1, 43, 426, 94, 25, L"UO/UOA指定",
     L"同時起動させたいアプリを指定（3Dクライアント＝uopatch.exe、2Dクライアント=UO.exe、UOA＝UOAssist.exe "
     L"を指定）",
     kDisabled},
    {L"lbl_ExecUO", L"Static", Page1, 43, 452, 233, 17, L"", nullptr, kDisabled},
    {L"img_02", L"Static", Page1, 300, 380, 100, 100, nullptr, nullptr, kOn},

    {L"Label2", L"Static", Page2, 11, 10, 149, 24, L"■固定範囲スクショ", nullptr, kFitsText},
    {L"btn_SetRect", L"Button", Page2, 30, 40, 116, 25, L"スクショ範囲指定",
     L"２点をクリックして撮影範囲を指定", kOn},
    {L"lbl_XYWH", L"Static", Page2, 155, 45, 50, 15, L"[X]0 [Y]0 [幅]0 [高]0", nullptr, kFitsText},
    {L"cb_KeyAdd1", L"ComboBox", Page2, 30, 71, 75, 25, nullptr, kKeysHint, kOn},
    {L"cb_Key1", L"ComboBox", Page2, 111, 71, 120, 25, nullptr, kKeysHint, kOn},
    {L"cb_Key1_ToClipboard", L"Button", Page2, 30, 108, 259, 17, kClipCaption, kClipHint, kOn},
    {L"chk_Timer", L"Button", Page2, 30, 139, 87, 17, L"自動スクショ", kTimerHint, kOn},
    {L"cb_Timer", L"ComboBox", Page2, 120, 135, 76, 25, nullptr, kTimerHint, kDisabled},
    {L"lbl_Timer", L"Static", Page2, 201, 139, 26, 17, L"分毎", nullptr, kDisabled | kFitsText},
    {L"lbl_TimerMinSec", L"Static", Page2, 201, 159, 52, 17, L"単位切替",
     L"Shift＋右クリックで秒単位に変更可能(PC性能によっては操作不能になるかもしれないので非推奨の機能)",
     kDisabled | kFitsText},
    {L"Label10", L"Static", Page2, 11, 183, 149, 24, L"■指定範囲スクショ", nullptr, kFitsText},
    {L"cb_KeyAdd2", L"ComboBox", Page2, 30, 213, 75, 25, nullptr, kKeysHint, kOn},
    {L"cb_Key2", L"ComboBox", Page2, 111, 213, 120, 25, nullptr, kKeysHint, kOn},
    {L"cb_Key2_ToClipboard", L"Button", Page2, 31, 244, 249, 17, kClipCaption, kClipHint, kOn},
    {L"Label19", L"Static", Page2, 15, 287, 130, 24, L"■全画面スクショ", nullptr, kFitsText},
    {L"cb_KeyAdd3", L"ComboBox", Page2, 31, 317, 74, 25, nullptr, kKeysHint, kOn},
    {L"cb_Key3", L"ComboBox", Page2, 111, 317, 120, 25, nullptr, kKeysHint, kOn},
    {L"cb_Key3_ToClipboard", L"Button", Page2, 31, 348, 249, 17, kClipCaption, kClipHint, kOn},
    {L"img_03", L"Static", Page2, 1, 397, 403, 89, nullptr, nullptr, kOn},

    {L"Label18", L"Static", Page3, 11, 10, 76, 24, L"■撮影音", nullptr, kFitsText},
    {L"chk_Sound", L"Button", Page3, 30, 39, 145, 17, L"撮影時に音を鳴らす", L"撮影時に音を鳴らす", kOn},
    {L"lbl_DLC", L"Static", Page3, 296, 38, 85, 17, L"DLCサイトを開く", L"DLCサイトを開きます", kFitsText},
    {L"gb_MP3Folder", L"Button", Page3, 45, 60, 336, 106, L"リスト表示対象",
     L"チェックを付けた物が一覧に表示されます", kOn},
    {L"chkRND01", L"Button", Page3, kSoundX + 20, kSoundY + 20, 105, 17, L"撮影声系1秒", nullptr, kOn},
    {L"chkRND02", L"Button", Page3, kSoundX + 20, kSoundY + 40, 105, 17, L"撮影声系2秒", nullptr, kOn},
    {L"chkRND03", L"Button", Page3, kSoundX + 20, kSoundY + 60, 105, 17, L"撮影声系3秒", nullptr, kOn},
    {L"chkRND04", L"Button", Page3, kSoundX + 20, kSoundY + 80, 105, 17, L"撮影声系ロング", nullptr, kOn},
    {L"chkRND05", L"Button", Page3, kSoundX + 130, kSoundY + 20, 105, 17, L"セリフ系1秒", nullptr, kOn},
    {L"chkRND06", L"Button", Page3, kSoundX + 130, kSoundY + 40, 105, 17, L"セリフ系2秒", nullptr, kOn},
    {L"chkRND07", L"Button", Page3, kSoundX + 130, kSoundY + 60, 105, 17, L"セリフ系3秒", nullptr, kOn},
    {L"chkRND08", L"Button", Page3, kSoundX + 130, kSoundY + 80, 105, 17, L"セリフ系ロング", nullptr, kOn},
    {L"chkRND09", L"Button", Page3, kSoundX + 230, kSoundY + 20, 110, 17, L"お気に入り", nullptr, kOn},
    // The tenth category is on by default, so a first start shows it ticked.
    {L"chkRND10", L"Button", Page3, kSoundX + 230, kSoundY + 40, 110, 17, L"効果音", nullptr, kChecked},
    {L"lb_Sound", L"ListBox", Page3, 45, 168, 336, 140, nullptr, L"鳴らしたい音を一覧から選択", kOn},
    {L"btn_SoundFolder", L"Button", Page3, 45, 308, 39, 31, nullptr,
     L"音の入ったフォルダを開きます。お気に入りへの移動を行えます。", kOn},
    {L"btn_RefreshMP3List", L"Button", Page3, 86, 308, 39, 31, nullptr,
     L"音一覧を更新します。お気に入り等への移動を行ったら押してください", kOn},
    {L"chkRND", L"Button", Page3, 242, 308, 96, 17, L"ランダム再生", nullptr, kOn},
    {L"btn_Play", L"Button", Page3, 341, 308, 40, 31, L"再生", L"撮影音の試聴", kOn},
    {L"Label1", L"Static", Page3, 10, 350, 122, 24, L"■ビジネスモード", nullptr, kFitsText},
    {L"cb_IllustNotShow", L"Button", Page3, 29, 379, 171, 17, L"カラー変更 ・ イラスト非表示",
     L"イラストを非表示にできます", kOn},
    {L"img_04", L"Static", Page3, 1, 397, 403, 89, nullptr, nullptr, kOn},

    {L"btn_Minimized", L"Button", Strip, 361, 1, 21, 22, nullptr, L"最小化", kOn},
    {L"btn_Close", L"Button", Strip, 383, 1, 21, 22, nullptr, L"閉じる", kOn},
};

int ScaleTo(int value, UINT dpi) {
    return ::MulDiv(value, static_cast<int>(dpi), 96);
}

void ExpectPlace(const Expected& e, HWND hwnd, UINT dpi) {
    const RECT place = PlaceInParent(hwnd);
    EXPECT_EQ(place.left, ScaleTo(e.x, dpi));
    EXPECT_EQ(place.top, ScaleTo(e.y, dpi));
    if (!(e.state & kFitsText)) {
        EXPECT_EQ(place.right - place.left, ScaleTo(e.x + e.width, dpi) - ScaleTo(e.x, dpi));
        if (_wcsicmp(e.windowClass, L"ComboBox") != 0) { // a drop-down list sizes its own edit field
            EXPECT_EQ(place.bottom - place.top, ScaleTo(e.y + e.height, dpi) - ScaleTo(e.y, dpi));
        }
    } else {
        EXPECT_GT(place.right - place.left, 0);
    }
}

class MainWindowLayout : public testkit::MainWindowTest {
protected:
    MainWindowLayout() { Start(); }

    // Every one-line caption of a label is drawn whole: none loses its last
    // characters to the label's edge at this scale.
    void ExpectCaptionsFit() const {
        for (const Expected& e : kControls) {
            if (e.caption == nullptr || _wcsicmp(e.windowClass, L"Static") != 0) {
                continue;
            }
            SCOPED_TRACE(e.name);
            const HWND label = window->FindControl(e.name)->hwnd();
            HDC dc = ::GetDC(label);
            const HGDIOBJ old =
                ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
            SIZE text{};
            ::GetTextExtentPoint32W(dc, e.caption, static_cast<int>(wcslen(e.caption)), &text);
            ::SelectObject(dc, old);
            ::ReleaseDC(label, dc);
            RECT area{};
            ::GetClientRect(label, &area);
            EXPECT_LE(text.cx, area.right) << "caption " << testing::PrintToString(std::wstring(e.caption));
        }
    }
    void ExpectFonts(UINT dpi) const {
        struct FontCase {
            const wchar_t* control;
            int height;
            bool underline;
        };
        for (const FontCase& f : {FontCase{L"btn_ShotRect", 13, false}, FontCase{L"Label8", 19, false},
                                  FontCase{L"Label9", 15, false}, FontCase{L"lbl_XYWH", 12, false},
                                  FontCase{L"lbl_DLC", 13, true}}) {
            SCOPED_TRACE(f.control);
            auto font = reinterpret_cast<HFONT>(
                ::SendMessageW(window->FindControl(f.control)->hwnd(), WM_GETFONT, 0, 0));
            LOGFONTW lf{};
            ASSERT_NE(::GetObjectW(font, sizeof(lf), &lf), 0);
            EXPECT_STREQ(lf.lfFaceName, L"Meiryo UI");
            // Rounded down, so that text laid out to fill a label still fits it.
            EXPECT_EQ(lf.lfHeight, -(f.height * static_cast<int>(dpi) / 96));
            EXPECT_EQ(lf.lfUnderline != 0, f.underline);
            EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
        }
    }
};

TEST_F(MainWindowLayout, EveryControlHasItsNameClassPlaceCaptionHintAndState) {
    for (const Expected& e : kControls) {
        SCOPED_TRACE(e.name);
        ui::Control* control = window->FindControl(e.name);
        ASSERT_NE(control, nullptr);
        HWND hwnd = control->hwnd();

        wchar_t windowClass[64] = {};
        ::GetClassNameW(hwnd, windowClass, 64);
        EXPECT_EQ(_wcsicmp(windowClass, e.windowClass), 0) << windowClass;

        HWND expectedParent =
            e.parent == Strip ? window->pager().hwnd() : window->pager().Page(e.parent).hwnd();
        EXPECT_EQ(::GetParent(hwnd), expectedParent);

        ExpectPlace(e, hwnd, window->dpi());

        if (e.caption != nullptr) {
            EXPECT_EQ(control->Caption(), e.caption);
        }
        EXPECT_EQ(window->hints().TextFor(hwnd), e.hint != nullptr ? e.hint : L"");
        EXPECT_EQ(control->showHint, e.hint != nullptr);

        EXPECT_EQ(control->Enabled(), !(e.state & kDisabled));
        EXPECT_EQ(control->Visible(), !(e.state & kHidden));
        if (_wcsicmp(e.windowClass, L"Button") == 0) {
            const LRESULT check = ::SendMessageW(hwnd, BM_GETCHECK, 0, 0);
            EXPECT_EQ(check == BST_CHECKED, (e.state & kChecked) != 0);
        }
    }
    EXPECT_EQ(window->AllControls().size(), std::size(kControls)) << "a control that the table does not know";
}

TEST_F(MainWindowLayout, ListsHoldTheirEntriesInOrder) {
    const std::vector<std::wstring> keys = {L"キーで撮影しない",
                                            L"Esc",
                                            L"F1",
                                            L"F2",
                                            L"F3",
                                            L"F4",
                                            L"F5",
                                            L"F6",
                                            L"F7",
                                            L"F8",
                                            L"F9",
                                            L"F10",
                                            L"F11",
                                            L"F12",
                                            L"Scroll Lock",
                                            L"Pause",
                                            L"Tab",
                                            L"半角/全角",
                                            L"無変換",
                                            L"変換",
                                            L"カタカナ/ひらがな",
                                            L"Insert",
                                            L"Delete",
                                            L"Home",
                                            L"End",
                                            L"Page Up",
                                            L"Page Down",
                                            L"Num Lock",
                                            L"PrtSc"};
    const std::vector<std::wstring> modifiers = {L"なし", L"Shift", L"Ctl", L"Alt"};
    const std::vector<std::wstring> formats = {L"PNG", L"JPG"};
    const std::vector<std::wstring> periods = {L"1",  L"2",  L"3",  L"4",  L"5",   L"10",  L"15",
                                               L"20", L"30", L"60", L"90", L"120", L"180", L"300"};
    const auto entries = [](const ui::ComboBox& list) {
        std::vector<std::wstring> result;
        for (int i = 0; i < list.Count(); ++i) {
            result.push_back(list.Item(i));
        }
        return result;
    };
    for (const ui::ComboBox* list :
         {&driver().FixedRangeKeyList(), &driver().PickedRangeKeyList(), &driver().FullScreenKeyList()}) {
        EXPECT_EQ(entries(*list), keys) << list->name();
    }
    for (const ui::ComboBox* list : {&driver().FixedRangeModifierList(), &driver().PickedRangeModifierList(),
                                     &driver().FullScreenModifierList()}) {
        EXPECT_EQ(entries(*list), modifiers) << list->name();
    }
    EXPECT_EQ(entries(driver().FormatList()), formats);
    EXPECT_EQ(entries(driver().AutoCapturePeriodList()), periods);
}

TEST_F(MainWindowLayout, PagesTabsAndFonts) {
    ASSERT_EQ(window->pager().PageCount(), 4);
    const wchar_t* captions[] = {L"メイン", L"設定１", L"設定２", L"設定３"};
    const wchar_t* faces[] = {L"Meiryo UI", L"Tahoma", L"Meiryo UI", L"Meiryo UI"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(window->pager().Page(i).Caption(), captions[i]);
        EXPECT_EQ(window->pager().Page(i).Font().face, faces[i]);
        EXPECT_EQ(window->pager().Page(i).Font().pixelHeight, 15);
        EXPECT_EQ(window->pager().Page(i).Font().bold, i == 0);
    }
    EXPECT_EQ(window->pager().ActivePageIndex(), 0);

    ExpectFonts(window->dpi());
}

// Tab walks each page as it reads, top to bottom and left to right within a line
// (a group's boxes column by column), then the tab strip's two buttons; lists
// with their own gestures and disabled controls are passed over.
TEST_F(MainWindowLayout, TabMovesThroughEachPageInReadingOrder) {
    // The editor's radio pair is one stop (the arrows move within it); the size
    // field, the game-client button and the period list start disabled.
    const std::vector<std::vector<std::wstring>> expected = {
        {L"btn_ShotRect", L"btn_Capture", L"btn_Capture3", L"btn_Capture10", L"btn_3Capture",
         L"btn_3Capture3", L"btn_3Capture10", L"btn_OpenFolder", L"btn_ReLoad", L"btn_Dust", L"btn_ReName",
         L"btn_Clipboard", L"btn_Viewer", L"btn_Edit"},
        {L"btn_SaveFolder", L"chk_Capa", L"cb_PNGorJPG", L"rd_GrEdit1", L"btn_Editor", L"cb_AutoStart",
         L"chk_Minimized", L"chk_TrayIcon", L"chk_ExecUO"},
        {L"btn_SetRect", L"cb_KeyAdd1", L"cb_Key1", L"cb_Key1_ToClipboard", L"chk_Timer", L"cb_KeyAdd2",
         L"cb_Key2", L"cb_Key2_ToClipboard", L"cb_KeyAdd3", L"cb_Key3", L"cb_Key3_ToClipboard"},
        {L"chk_Sound", L"chkRND01", L"chkRND02", L"chkRND03", L"chkRND04", L"chkRND05", L"chkRND06",
         L"chkRND07", L"chkRND08", L"chkRND09", L"chkRND10", L"btn_SoundFolder", L"btn_RefreshMP3List",
         L"chkRND", L"btn_Play", L"cb_IllustNotShow"},
    };
    window->ShowFirstTime();
    const auto nameOf = [&](HWND hwnd) -> std::wstring {
        for (ui::Control* control : window->AllControls()) {
            if (control->hwnd() == hwnd) {
                return std::wstring(control->name());
            }
        }
        return L"(not a control of the table)";
    };
    for (int page = 0; page < 4; ++page) {
        SCOPED_TRACE(page);
        window->pager().SetActivePageIndex(page);
        testkit::PumpMessages();
        std::vector<std::wstring> order;
        const HWND first = ::GetNextDlgTabItem(window->hwnd(), nullptr, FALSE);
        for (HWND at = first; at != nullptr && order.size() < 60;) {
            order.push_back(nameOf(at));
            at = ::GetNextDlgTabItem(window->hwnd(), at, FALSE);
            if (at == first) {
                break;
            }
        }
        std::vector<std::wstring> wanted = expected[static_cast<std::size_t>(page)];
        wanted.insert(wanted.end(), {L"btn_Minimized", L"btn_Close"});
        EXPECT_EQ(order, wanted);
    }
}

// A window moved to a monitor of another scale is laid out again from its 96-DPI
// description: frame, tab widget, pages, every control, fonts, and artwork
// rendered for the new scale rather than a stretched bitmap; and back again.
TEST_F(MainWindowLayout, FollowsTheDpiToAnotherMonitorAndBack) {
    for (const UINT dpi : {144u, 96u}) {
        SCOPED_TRACE(dpi);
        // The system suggests the frame for the new client size; Wine keeps the
        // frame's own edges at every DPI, so they are taken from the window itself.
        RECT frameNow{}, clientNow{};
        ::GetWindowRect(window->hwnd(), &frameNow);
        ::GetClientRect(window->hwnd(), &clientNow);
        const RECT suggested{40, 30,
                             40 + ScaleTo(407, dpi) + (frameNow.right - frameNow.left - clientNow.right),
                             30 + ScaleTo(513, dpi) + (frameNow.bottom - frameNow.top - clientNow.bottom)};
        ::SendMessageW(window->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggested));
        ASSERT_EQ(window->dpi(), dpi);

        RECT frame{};
        ::GetWindowRect(window->hwnd(), &frame);
        EXPECT_TRUE(::EqualRect(&frame, &suggested));
        RECT client{};
        ::GetClientRect(window->hwnd(), &client);
        EXPECT_EQ(client.right, ScaleTo(407, dpi));
        EXPECT_EQ(client.bottom, ScaleTo(513, dpi));
        const RECT pager = PlaceInParent(window->pager().hwnd());
        EXPECT_TRUE(::EqualRect(&pager, &client));
        for (int i = 0; i < window->pager().PageCount(); ++i) {
            const RECT page = PlaceInParent(window->pager().Page(i).hwnd());
            EXPECT_EQ(page.left, ScaleTo(1, dpi));
            EXPECT_EQ(page.top, ScaleTo(26, dpi));
            EXPECT_EQ(page.right, client.right - ScaleTo(1, dpi));
            EXPECT_EQ(page.bottom, client.bottom - ScaleTo(2, dpi));
        }
        EXPECT_EQ(window->pager().TabRect(0).bottom, ScaleTo(26, dpi));

        for (const Expected& e : kControls) {
            SCOPED_TRACE(e.name);
            ui::Control* control = window->FindControl(e.name);
            ASSERT_NE(control, nullptr);
            ExpectPlace(e, control->hwnd(), dpi);
            // Rendered for this scale: the picture's own pixels match its place to a
            // pixel of rounding, and a glyph keeps its drawn size in the larger button.
            if (const auto* picture = dynamic_cast<const app::Picture*>(control)) {
                const SIZE size = picture->ImageSize();
                EXPECT_EQ(size.cx, (e.width * static_cast<int>(dpi) + 48) / 96);
                EXPECT_EQ(size.cy, (e.height * static_cast<int>(dpi) + 48) / 96);
                RECT area{};
                ::GetClientRect(control->hwnd(), &area);
                EXPECT_LE(std::abs(size.cx - area.right), 1);
                EXPECT_LE(std::abs(size.cy - area.bottom), 1);
            } else if (const auto* button = dynamic_cast<const app::IconButton*>(control)) {
                const int drawn = e.width == 21 ? 14 : 24;
                EXPECT_EQ(button->GlyphSize().cx, ScaleTo(drawn, dpi));
                EXPECT_EQ(button->GlyphSize().cy, ScaleTo(drawn, dpi));
            }
        }
        ExpectFonts(dpi);
    }
}

// At 125 % and 150 % a 15-pixel font is 18.75 and 22.5 pixels: taken to the
// nearest pixel, "固定範囲" overflowed its 60-pixel label by a pixel or two and
// lost its last character.
TEST_F(MainWindowLayout, CaptionsFitTheirLabelsAtEveryScale) {
    for (const UINT dpi : {120u, 144u, 168u, 96u}) {
        SCOPED_TRACE(dpi);
        RECT frame{};
        ::GetWindowRect(window->hwnd(), &frame);
        ::SendMessageW(window->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&frame));
        ASSERT_EQ(window->dpi(), dpi);
        ExpectCaptionsFit();
    }
}

TEST_F(MainWindowLayout, HintsAppearAfter200MillisecondsAndStayTenSeconds) {
    HWND tooltip = window->hints().hwnd();
    EXPECT_EQ(::SendMessageW(tooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 200);
    EXPECT_EQ(::SendMessageW(tooltip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 10000);
}

// A disabled control gets no mouse messages, yet its hint shows: the pointer is
// moved over it for real and the tooltip on the screen is read.
TEST_F(MainWindowLayout, HintsShowOverDisabledControlsToo) {
    const auto moveTo = [](POINT at) {
        for (const LONG nudge : {1L, 0L}) {
            INPUT input{};
            input.type = INPUT_MOUSE;
            input.mi.dx = ((at.x + nudge) * 65535 + ::GetSystemMetrics(SM_CXSCREEN) / 2) /
                          (::GetSystemMetrics(SM_CXSCREEN) - 1);
            input.mi.dy =
                (at.y * 65535 + ::GetSystemMetrics(SM_CYSCREEN) / 2) / (::GetSystemMetrics(SM_CYSCREEN) - 1);
            input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
            ::SendInput(1, &input, sizeof(input));
            testkit::PumpFor(60);
        }
    };
    ::SetWindowPos(window->hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    HWND tooltip = window->hints().hwnd();
    for (const Expected& e : kControls) {
        if ((e.state & kDisabled) == 0 || e.hint == nullptr) {
            continue;
        }
        SCOPED_TRACE(e.name);
        ui::Control* control = window->FindControl(e.name);
        ASSERT_FALSE(control->Enabled());
        window->pager().SetActivePageIndex(static_cast<int>(e.parent));
        RECT frame{};
        ::GetWindowRect(window->hwnd(), &frame);
        moveTo({frame.right + 40, frame.bottom + 40}); // away, so the hint comes anew
        testkit::PumpFor(300);
        RECT place{};
        ::GetWindowRect(control->hwnd(), &place);
        moveTo({(place.left + place.right) / 2, (place.top + place.bottom) / 2});
        std::vector<wchar_t> text(1024, L'\0');
        for (int i = 0; i < 30 && !::IsWindowVisible(tooltip); ++i) {
            testkit::PumpFor(50);
        }
        ASSERT_TRUE(::IsWindowVisible(tooltip)) << "no hint over the disabled control";
        TTTOOLINFOW current{};
        current.cbSize = sizeof(current);
        current.lpszText = text.data();
        ASSERT_TRUE(::SendMessageW(tooltip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&current)));
        EXPECT_EQ(std::wstring(text.data()), e.hint);
    }
}

} // namespace
