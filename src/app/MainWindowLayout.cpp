// The main window's controls, one row each: what a user sees on its pages and on
// the tab strip; the pages "設定２" and "設定３" make their own.
// Places are at 96 DPI within the parent; the window scales them by its DPI.
#include <windows.h>
#include <commctrl.h>

#include <span>

#include "AssetIds.h"
#include "app/MainWindowTexts.h"
#include "app/Tfm_Mirulo.h"
#include "app/pages/CaptureTriggersPage.h"
#include "app/pages/SoundPage.h"
#include "ui/ControlTable.h"

namespace mirulo::app {
namespace {

using Kind = ui::ControlKind;
using Row = ui::ControlRow;
using namespace ui::row_flags;

// Where a control sits: one of the pages, inside the editor group box (whose
// controls are placed relative to the box), or on the tab strip. The order is
// that of the containers given to the table below.
enum Parent : int { Page0, Page1, EditorGroup, Pager };

// Command ids of the controls, in the order they are made.
constexpr int kFirstControlId = 1000;

using namespace texts;

} // namespace

void Tfm_Mirulo::CreateControls() {
    const Row rows[] = {
        // Page 0 "メイン"
        {bannerPicture, Kind::Picture, Parent::Page0, 1, 0, 321, 50, L"", nullptr, 0, IDR_IMG_05},
        {lb_PicList, Kind::ListBox, Parent::Page0, 4, 49, 319, 350, L"", kHintPicList,
         kHandCursor | kNoTabStop, 0},
        {fixedRangeHeading, Kind::Label, Parent::Page0, 333, 46, 60, 19, L"固定範囲", nullptr,
         kFont15 | kCentred | kFixedSize, 0},
        {btn_ShotRect, Kind::PushButton, Parent::Page0, 333, 71, 60, 25, L"今すぐ", kHintShotRect, 0, 0},
        {pickedRangeHeading, Kind::Label, Parent::Page0, 333, 103, 60, 19, L"指定範囲", nullptr,
         kFont15 | kCentred | kFixedSize, 0},
        {btn_Capture, Kind::PushButton, Parent::Page0, 333, 128, 60, 25, L"今すぐ", kHintCaptureNow, 0, 0},
        {btn_Capture3, Kind::PushButton, Parent::Page0, 333, 159, 60, 25, L"3秒後", kHintCapture3, 0, 0},
        {btn_Capture10, Kind::PushButton, Parent::Page0, 333, 190, 60, 25, L"10秒後", kHintCapture10, 0, 0},
        {fullScreenHeading, Kind::Label, Parent::Page0, 333, 222, 60, 19, L"全画面", nullptr,
         kFont15 | kCentred | kFixedSize, 0},
        {btn_3Capture, Kind::PushButton, Parent::Page0, 333, 247, 60, 25, L"今すぐ", kHintCaptureNow, 0, 0},
        {btn_3Capture3, Kind::PushButton, Parent::Page0, 333, 278, 60, 25, L"3秒後", kHintCapture3, 0, 0},
        {btn_3Capture10, Kind::PushButton, Parent::Page0, 333, 309, 60, 25, L"10秒後", kHintCapture10, 0, 0},
        {mainPageIllustration, Kind::Picture, Parent::Page0, 323, 360, 80, 103, L"", nullptr, 0, IDR_IMG_01},
        {btn_OpenFolder, Kind::IconButton, Parent::Page0, 4, 400, 39, 31, kNameOpenFolder, kHintOpenFolder, 0,
         IDR_GLYPH_FOLDER},
        {btn_ReLoad, Kind::IconButton, Parent::Page0, 44, 400, 39, 31, kNameReload, kHintReLoad, 0,
         IDR_GLYPH_RELOAD},
        {btn_Dust, Kind::IconButton, Parent::Page0, 84, 400, 39, 31, kNameDust, kHintDust, 0, IDR_GLYPH_DUST},
        {btn_ReName, Kind::IconButton, Parent::Page0, 124, 400, 39, 31, kNameRename, kHintReName, 0,
         IDR_GLYPH_RENAME},
        {btn_Clipboard, Kind::IconButton, Parent::Page0, 164, 400, 39, 31, kNameClipboard, kHintClipboard, 0,
         IDR_GLYPH_CLIPBOARD},
        {btn_Viewer, Kind::IconButton, Parent::Page0, 204, 400, 39, 31, kNameViewer, kHintViewer, 0,
         IDR_GLYPH_VIEWER},
        {btn_Edit, Kind::IconButton, Parent::Page0, 244, 400, 39, 31, kNameEdit, kHintEdit, 0,
         IDR_GLYPH_EDITOR},
        {img_Title1, Kind::Picture, Parent::Page0, 2, 429, 200, 34, L"", nullptr, 0, IDR_IMG_TITLE1},
        {img_Title2, Kind::Picture, Parent::Page0, 3, 428, 200, 34, L"", nullptr, kHidden, IDR_IMG_TITLE2},
        {versionLabel, Kind::Label, Parent::Page0, 209, 441, 55, 17, L"", nullptr, 0, 0},
        {statusBar, Kind::StatusBar, Parent::Page0, 2, 464, 401, 19, L"", nullptr, 0, 0},

        // Page 1 "設定１"
        {saveFolderHeading, Kind::Label, Parent::Page1, 10, 11, 132, 24, L"■保存先フォルダ", nullptr,
         kHeading, 0},
        {btn_SaveFolder, Kind::IconButton, Parent::Page1, 30, 37, 39, 31, kNameSaveFolder, kHintSaveFolder, 0,
         IDR_GLYPH_FOLDER},
        {lbl_SaveFolder, Kind::Label, Parent::Page1, 72, 43, 320, 17, L"", nullptr,
         kWhiteBack | kFixedSize | kClickable, 0},
        {sizeCapHeading, Kind::Label, Parent::Page1, 10, 78, 331, 24, L"■画像サイズ合計管理（自動削除機能）",
         nullptr, kHeading, 0},
        {chk_Capa, Kind::CheckBox, Parent::Page1, 30, 112, 71, 17, L"有効化", kHintCapa, kWhiteBack, 0},
        {edt_Capa, Kind::Edit, Parent::Page1, 112, 108, 54, 25, L"", kHintCapaSize,
         kRightAligned | kImeOff | kDisabled, 0},
        {sizeCapUnitLabel, Kind::Label, Parent::Page1, 170, 114, 20, 17, L"MB", nullptr, 0, 0},
        {formatHeading, Kind::Label, Parent::Page1, 10, 143, 95, 24, L"■画像形式", nullptr, kHeading, 0},
        {formatList, Kind::DropDownList, Parent::Page1, 30, 171, 74, 25, L"", kHintFormat, 0, 0},
        {editorHeading, Kind::Label, Parent::Page1, 10, 210, 135, 24, L"■画像編集ソフト", nullptr, kHeading,
         0},
        {gb_Editor, Kind::GroupBox, Parent::Page1, 30, 239, 224, 30, L"", kHintEditor, 0, 0},
        {paintEditorRadio, Kind::RadioButton, Parent::EditorGroup, 11, 7, 94, 17, L"ペイント", kHintEditor,
         kWhiteBack | kChecked, 0},
        {ownEditorRadio, Kind::RadioButton, Parent::EditorGroup, 111, 7, 113, 17, L"任意", kHintEditor,
         kWhiteBack, 0},
        {btn_Editor, Kind::IconButton, Parent::Page1, 30, 272, 39, 31, kNameEditor, kHintEditor, 0,
         IDR_GLYPH_FOLDER},
        {lbl_Editor, Kind::Label, Parent::Page1, 72, 279, 320, 17, L"", nullptr,
         kWhiteBack | kFixedSize | kClickable, 0},
        {startupHeading, Kind::Label, Parent::Page1, 10, 317, 222, 24, L"■自動起動 ＆ トレイアイコン",
         nullptr, kHeading, 0},
        {startAtLogonBox, Kind::CheckBox, Parent::Page1, 30, 348, 240, 17, L"Windows起動時に自動実行する",
         kHintAutoStart, 0, 0},
        {startMinimisedBox, Kind::CheckBox, Parent::Page1, 30, 368, 240, 17, L"起動時に最小化",
         kHintMinimized, 0, 0},
        {trayIconBox, Kind::CheckBox, Parent::Page1, 30, 388, 240, 17, L"最小化時は通知領域にアイコン表示",
         kHintTrayIcon, 0, 0},
        {chk_ExecUO, Kind::CheckBox, Parent::Page1, 30, 408, 240, 17, L"ミルロ起動と同時にUOも起動",
         kHintExecUO, 0, 0},
        {btn_ExecUO, Kind::PushButton, Parent::Page1, 43, 426, 94, 25, L"UO/UOA指定", kHintExecUOButton, 0,
         0},
        {lbl_ExecUO, Kind::Label, Parent::Page1, 43, 452, 233, 17, L"", nullptr,
         kHandCursor | kClickable | kFixedSize, 0},
        {settings1Illustration, Kind::Picture, Parent::Page1, 300, 380, 100, 100, L"", nullptr, 0,
         IDR_IMG_02},

    };

    const Row tabStripRows[] = {
        {btn_Minimized, Kind::IconButton, Parent::Pager, 361, 1, 21, 22, kNameMinimize, kHintMinimize, 0,
         IDR_GLYPH_MINIMIZE},
        {btn_Close, Kind::IconButton, Parent::Pager, 383, 1, 21, 22, kNameClose, kHintClose, 0,
         IDR_GLYPH_CLOSE},
    };

    const ui::ControlContainer containers[] = {
        {tabs.Page(0).hwnd(), {0, 0}},
        {tabs.Page(1).hwnd(), {0, 0}},
        {tabs.Page(1).hwnd(), {30, 239}}, // inside gb_Editor
        {tabs.hwnd(), {0, 0}},
    };
    const auto create = [&](std::span<const Row> made) {
        controlTable_.Create(made, containers, dpi(),
                             kFirstControlId + static_cast<int>(controlTable_.Controls().size()));
        for (const Row& row : made) {
            if (row.hint != nullptr) {
                designHints_.emplace_back(&row.control, row.hint);
            }
        }
    };
    create(rows);
    captureTriggersPage_->CreateControls(controlTable_, tabs.Page(2).hwnd(), dpi(),
                                         kFirstControlId + static_cast<int>(controlTable_.Controls().size()),
                                         designHints_);
    soundPage_->CreateControls(controlTable_, tabs.Page(3).hwnd(), dpi(),
                               kFirstControlId + static_cast<int>(controlTable_.Controls().size()),
                               designHints_);
    create(tabStripRows);
    controls_ = controlTable_.Controls();

    // Group boxes go beneath the controls they frame (later windows start lower).
    gb_Editor.SendToBack();

    paintEditorRadio.JoinGroup(&editorRadioGroup_);
    ownEditorRadio.JoinGroup(&editorRadioGroup_);
    editorRadioGroup_ = {&paintEditorRadio, &ownEditorRadio};
    paintEditorRadio.SetChecked(true); // the state a new window starts with
    statusBar.SetupSinglePanel();
    ::SendMessageW(edt_Capa.hwnd(), EM_SETLIMITTEXT, 9, 0);
}

} // namespace mirulo::app
