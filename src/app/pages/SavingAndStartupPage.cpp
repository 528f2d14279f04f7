// The page "設定１": its controls, the size cap's box and field, the format, the
// editor's choice and program, and the start-up boxes.
#include "app/pages/SavingAndStartupPage.h"

#include <commctrl.h>

#include <iterator>
#include <optional>

#include "AssetIds.h"
#include "app/MainWindowTexts.h"
#include "integration/GameClient.h"
#include "library/SizeCap.h"
#include "platform/Paths.h"
#include "platform/Wide.h"

namespace mirulo::app {
namespace {

using Kind = ui::ControlKind;
using Row = ui::ControlRow;
using namespace ui::row_flags;
using namespace texts;

// Where a row sits: on the page, or inside the editor's group box (placed relative to it).
enum Parent : int { Page, EditorGroup };

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// A radio button's handler runs only for the one that becomes chosen.
template <class Handler> void ApplyChoiceThroughHandler(ui::RadioButton& radio, bool value, Handler handler) {
    if (!value) {
        radio.SetChecked(false);
        return;
    }
    if (radio.Checked()) {
        return;
    }
    radio.SetChecked(true);
    handler();
}

} // namespace

SavingAndStartupPage::SavingAndStartupPage(PageSite& site, SavingAndStartupSite& window)
    : site_(site), window_(window) {}

void SavingAndStartupPage::CreateControls(ui::ControlTable& table, HWND page, UINT dpi, int firstId) {
    const Row rows[] = {
        {saveFolderHeading_, Kind::Label, Page, 10, 11, 132, 24, L"■保存先フォルダ", nullptr, kHeading, 0},
        {saveFolderButton_, Kind::IconButton, Page, 30, 37, 39, 31, kNameSaveFolder, kHintSaveFolder, 0,
         IDR_GLYPH_FOLDER},
        {saveFolderLabel_, Kind::Label, Page, 72, 43, 320, 17, L"", nullptr,
         kWhiteBack | kFixedSize | kClickable, 0},
        {sizeCapHeading_, Kind::Label, Page, 10, 78, 331, 24, L"■画像サイズ合計管理（自動削除機能）", nullptr,
         kHeading, 0},
        {sizeCapBox_, Kind::CheckBox, Page, 30, 112, 71, 17, L"有効化", kHintCapa, kWhiteBack, 0},
        {sizeCapField_, Kind::Edit, Page, 112, 108, 54, 25, L"", kHintCapaSize,
         kRightAligned | kImeOff | kDisabled, 0},
        {sizeCapUnitLabel_, Kind::Label, Page, 170, 114, 20, 17, L"MB", nullptr, 0, 0},
        {formatHeading_, Kind::Label, Page, 10, 143, 95, 24, L"■画像形式", nullptr, kHeading, 0},
        {formatList_, Kind::DropDownList, Page, 30, 171, 74, 25, L"", kHintFormat, 0, 0},
        {editorHeading_, Kind::Label, Page, 10, 210, 135, 24, L"■画像編集ソフト", nullptr, kHeading, 0},
        {editorGroup_, Kind::GroupBox, Page, 30, 239, 224, 30, L"", kHintEditor, 0, 0},
        {paintEditorRadio_, Kind::RadioButton, EditorGroup, 11, 7, 94, 17, L"ペイント", kHintEditor,
         kWhiteBack | kChecked, 0},
        {ownEditorRadio_, Kind::RadioButton, EditorGroup, 111, 7, 113, 17, L"任意", kHintEditor, kWhiteBack,
         0},
        {editorButton_, Kind::IconButton, Page, 30, 272, 39, 31, kNameEditor, kHintEditor, 0,
         IDR_GLYPH_FOLDER},
        {editorLabel_, Kind::Label, Page, 72, 279, 320, 17, L"", nullptr,
         kWhiteBack | kFixedSize | kClickable, 0},
        {startupHeading_, Kind::Label, Page, 10, 317, 222, 24, L"■自動起動 ＆ トレイアイコン", nullptr,
         kHeading, 0},
        {startAtLogonBox_, Kind::CheckBox, Page, 30, 348, 240, 17, L"Windows起動時に自動実行する",
         kHintAutoStart, 0, 0},
        {startMinimisedBox_, Kind::CheckBox, Page, 30, 368, 240, 17, L"起動時に最小化", kHintMinimized, 0, 0},
        {trayIconBox_, Kind::CheckBox, Page, 30, 388, 240, 17, L"最小化時は通知領域にアイコン表示",
         kHintTrayIcon, 0, 0},
        {gameClientAtStartBox_, Kind::CheckBox, Page, 30, 408, 240, 17, L"ミルロ起動と同時にUOも起動",
         kHintExecUO, 0, 0},
        {gameClientButton_, Kind::PushButton, Page, 43, 426, 94, 25, L"UO/UOA指定", kHintExecUOButton, 0, 0},
        {gameClientLabel_, Kind::Label, Page, 43, 452, 233, 17, L"", nullptr,
         kHandCursor | kClickable | kFixedSize, 0},
        {illustration_, Kind::Picture, Page, 300, 380, 100, 100, L"", nullptr, 0, IDR_IMG_02},
    };
    const ui::ControlContainer containers[] = {{page, {0, 0}}, {page, {30, 239}}};
    table.Create(rows, containers, dpi, firstId);
    // The group box goes beneath the radios it frames (later windows start lower).
    editorGroup_.SendToBack();
    paintEditorRadio_.JoinGroup(&editorRadioGroup_);
    ownEditorRadio_.JoinGroup(&editorRadioGroup_);
    editorRadioGroup_ = {&paintEditorRadio_, &ownEditorRadio_};
    paintEditorRadio_.SetChecked(true); // the state a new window starts with
    ::SendMessageW(sizeCapField_.hwnd(), EM_SETLIMITTEXT, 9, 0);
}

void SavingAndStartupPage::FillLists() {
    formatList_.Clear();
    for (const wchar_t* name : texts::kFormatNames) {
        formatList_.Add(name);
    }
}

void SavingAndStartupPage::Connect() {
    saveFolderButton_.OnClick = [this] { window_.ChooseSaveFolder(); };
    // Each of the three path labels opens the save folder, the editor's and the
    // game client's too: that is what a click on them has always done.
    for (ui::Label* label : {&saveFolderLabel_, &editorLabel_, &gameClientLabel_}) {
        label->OnClick = [this] { window_.OpenSaveFolder(); };
    }
    sizeCapBox_.OnClick = [this] { OnSizeCapClicked(); };
    sizeCapField_.OnExit = [this] { NormaliseSizeCapText(); };
    sizeCapField_.OnMouseLeave = [this] { NormaliseSizeCapText(); };
    formatList_.OnChange = [this] { site_.WriteSettings(); };
    // Both editor radios run one handler on purpose: it enables the editor's
    // label for whichever radio is chosen now, and writes the choice.
    paintEditorRadio_.OnClick = [this] { OnEditorChoiceClicked(); };
    ownEditorRadio_.OnClick = [this] { OnEditorChoiceClicked(); };
    editorButton_.OnClick = [this] { OnEditorButtonClicked(); };
    startAtLogonBox_.OnClick = [this] { window_.StartAtLogonClicked(); };
    startMinimisedBox_.OnClick = [this] { window_.StartMinimisedChanged(); };
    trayIconBox_.OnClick = [this] { window_.TrayIconChoiceChanged(); };
    gameClientAtStartBox_.OnClick = [this] { OnGameClientBoxClicked(); };
    gameClientButton_.OnClick = [this] { OnGameClientButtonClicked(); };
}

// --- The settings ---------------------------------------------------------------

void SavingAndStartupPage::ApplyFormat(std::int32_t stored) {
    formatList_.SetItemIndex(stored); // anything but an entry's index leaves the list without a selection
}

void SavingAndStartupPage::ApplySizeCap(const settings::SettingsValues& values) {
    ApplyThroughHandler(sizeCapBox_, values.sizeCapOn, [this] { OnSizeCapClicked(); });
    sizeCapField_.SetCaption(std::to_wstring(values.sizeCapMegabytes));
}

void SavingAndStartupPage::ApplyEditor(const settings::SettingsValues& values) {
    ApplyChoiceThroughHandler(paintEditorRadio_, values.paintEditorChosen,
                              [this] { OnEditorChoiceClicked(); });
    ApplyChoiceThroughHandler(ownEditorRadio_, values.ownEditorChosen, [this] { OnEditorChoiceClicked(); });
    editorLabel_.SetCaption(platform::FileNamePart(platform::Widen(site_.Model().editorPath)));
    editorLabel_.SetEnabled(!paintEditorRadio_.Checked());
}

void SavingAndStartupPage::ApplyGameClient(bool startWithProgram) {
    ApplyThroughHandler(gameClientAtStartBox_, startWithProgram, [this] { OnGameClientBoxClicked(); });
    ShowGameClient();
    gameClientButton_.SetEnabled(gameClientAtStartBox_.Checked());
    gameClientLabel_.SetEnabled(gameClientAtStartBox_.Checked());
}

void SavingAndStartupPage::ApplyTrayIcon(bool on) {
    ApplyThroughHandler(trayIconBox_, on, [this] { window_.TrayIconChoiceChanged(); });
}

void SavingAndStartupPage::ApplyStartMinimised(bool on) {
    ApplyThroughHandler(startMinimisedBox_, on, [this] { window_.StartMinimisedChanged(); });
}

void SavingAndStartupPage::Store(settings::SettingsValues& values) const {
    values.formatChoice = formatList_.ItemIndex();
    values.sizeCapOn = sizeCapBox_.Checked();
    values.sizeCapMegabytes = settings::FolderCapacitySizeFromText(platform::Narrow(sizeCapField_.Caption()));
    values.paintEditorChosen = paintEditorRadio_.Checked();
    values.ownEditorChosen = ownEditorRadio_.Checked();
    values.startGameClient = gameClientAtStartBox_.Checked();
    values.trayIconWhenMinimised = trayIconBox_.Checked();
    values.startMinimised = startMinimisedBox_.Checked();
}

// --- Handlers -------------------------------------------------------------------

void SavingAndStartupPage::OnSizeCapClicked() {
    sizeCapField_.SetEnabled(sizeCapBox_.Checked());
    if (sizeCapBox_.Checked()) {
        site_.ShowNotice(texts::kNoticeCapOn);
    }
    site_.WriteSettings();
}

void SavingAndStartupPage::NormaliseSizeCapText() {
    const std::wstring text = sizeCapField_.Caption();
    const std::u16string normalised = library::NormalisedCapText(std::u16string(text.begin(), text.end()));
    const std::wstring shown(normalised.begin(), normalised.end());
    if (shown != text) {
        sizeCapField_.SetCaption(shown);
    }
}

void SavingAndStartupPage::OnEditorChoiceClicked() {
    editorLabel_.SetEnabled(ownEditorRadio_.Checked());
    site_.WriteSettings();
}

void SavingAndStartupPage::OnEditorButtonClicked() {
    std::string& editor = site_.Model().editorPath;
    platform::OpenFileRequest request;
    request.filter.assign(texts::kEditorFilter, std::size(texts::kEditorFilter) - 1);
    if (!editor.empty()) {
        request.initialDir = FolderOf(platform::Widen(editor));
    }
    if (const std::optional<std::wstring> program = site_.PageHost().OpenFile(site_.PageOwner(), request)) {
        editor = platform::Narrow(*program);
        editorLabel_.SetCaption(platform::FileNamePart(*program));
    }
    site_.WriteSettings();
}

void SavingAndStartupPage::OnGameClientBoxClicked() {
    const bool on = gameClientAtStartBox_.Checked();
    gameClientButton_.SetEnabled(on);
    gameClientLabel_.SetEnabled(on);
    site_.WriteSettings();
}

void SavingAndStartupPage::OnGameClientButtonClicked() {
    integration::GameClient game(site_.PageHost(), site_.PageOwner());
    const std::optional<std::wstring> chosen = game.Choose(platform::Widen(site_.Model().gameClientPath));
    if (!chosen) {
        return;
    }
    site_.Model().gameClientPath = platform::Narrow(*chosen);
    ShowGameClient();
    site_.WriteSettings();
}

void SavingAndStartupPage::ShowGameClient() {
    gameClientLabel_.SetCaption(platform::FileNamePart(platform::Widen(site_.Model().gameClientPath)));
}

} // namespace mirulo::app
