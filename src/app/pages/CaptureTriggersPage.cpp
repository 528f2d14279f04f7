// The page "設定２": its controls, the hot-key lists, the clipboard boxes and
// the auto-capture's box, period and hidden unit switch.
#include "app/pages/CaptureTriggersPage.h"

#include <string>

#include "AssetIds.h"
#include "app/MainWindowTexts.h"
#include "capture/AutoCapturePeriod.h"
#include "platform/Wide.h"

namespace mirulo::app {
namespace {

using Kind = ui::ControlKind;
using Row = ui::ControlRow;
using namespace ui::row_flags;
using namespace texts;

constexpr int Page = 0;
constexpr COLORREF kRed = RGB(255, 0, 0);

} // namespace

CaptureTriggersPage::CaptureTriggersPage(PageSite& site, CaptureTriggersSite& triggers)
    : site_(site), triggers_(triggers) {}

void CaptureTriggersPage::CreateControls(ui::ControlTable& table, HWND page, UINT dpi, int firstId) {
    const Row rows[] = {
        {fixedRangeKeyHeading_, Kind::Label, Page, 11, 10, 149, 24, L"■固定範囲スクショ", nullptr, kHeading,
         0},
        {setFixedRangeButton_, Kind::PushButton, Page, 30, 40, 116, 25, L"スクショ範囲指定", kHintSetRect, 0,
         0},
        {fixedRangeLabel_, Kind::Label, Page, 155, 45, 50, 15, L"", nullptr, kFont12 | kGrey, 0},
        {fixedRangeModifierList_, Kind::DropDownList, Page, 30, 71, 75, 25, L"", kHintKeys, 0, 0},
        {fixedRangeKeyList_, Kind::DropDownList, Page, 111, 71, 120, 25, L"", kHintKeys, 0, 0},
        {fixedRangeToClipboardBox_, Kind::CheckBox, Page, 30, 108, 259, 17,
         L"保存と同時に画像をクリップボードへコピー", kHintToClipboard, 0, 0},
        {autoCaptureBox_, Kind::CheckBox, Page, 30, 139, 87, 17, L"自動スクショ", kHintTimer, 0, 0},
        {autoCapturePeriodList_, Kind::DropDownList, Page, 120, 135, 76, 25, L"", kHintTimer, 0, 0},
        {autoCaptureUnitLabel_, Kind::Label, Page, 201, 139, 26, 17, L"分毎", nullptr, 0, 0},
        {autoCaptureUnitSwitch_, Kind::Label, Page, 201, 159, 52, 17, L"単位切替", kHintTimerMinSec,
         kGrey | kUnderline | kHandCursor | kClickable, 0},
        {pickedRangeKeyHeading_, Kind::Label, Page, 11, 183, 149, 24, L"■指定範囲スクショ", nullptr, kHeading,
         0},
        {pickedRangeModifierList_, Kind::DropDownList, Page, 30, 213, 75, 25, L"", kHintKeys, 0, 0},
        {pickedRangeKeyList_, Kind::DropDownList, Page, 111, 213, 120, 25, L"", kHintKeys, 0, 0},
        {pickedRangeToClipboardBox_, Kind::CheckBox, Page, 31, 244, 249, 17,
         L"保存と同時に画像をクリップボードへコピー", kHintToClipboard, 0, 0},
        {fullScreenKeyHeading_, Kind::Label, Page, 15, 287, 130, 24, L"■全画面スクショ", nullptr, kHeading,
         0},
        {fullScreenModifierList_, Kind::DropDownList, Page, 31, 317, 74, 25, L"", kHintKeys, 0, 0},
        {fullScreenKeyList_, Kind::DropDownList, Page, 111, 317, 120, 25, L"", kHintKeys, 0, 0},
        {fullScreenToClipboardBox_, Kind::CheckBox, Page, 31, 348, 249, 17,
         L"保存と同時に画像をクリップボードへコピー", kHintToClipboard, 0, 0},
        {illustration_, Kind::Picture, Page, 1, 397, 403, 89, L"", nullptr, 0, IDR_IMG_03},
    };
    const ui::ControlContainer containers[] = {{page, {0, 0}}};
    table.Create(rows, containers, dpi, firstId);
}

void CaptureTriggersPage::FillLists() {
    const auto fill = [](ui::ComboBox& list, const auto& entries, auto text) {
        list.Clear();
        for (const auto& entry : entries) {
            list.Add(text(entry));
        }
    };
    const auto keyName = [](const capture::KeyListEntry& entry) { return entry.name; };
    const auto modifierName = [](const capture::ModifierListEntry& entry) { return entry.name; };
    const auto itself = [](const wchar_t* entry) { return entry; };
    fill(fixedRangeKeyList_, capture::kKeyList, keyName);
    fill(fixedRangeModifierList_, capture::kModifierList, modifierName);
    fill(pickedRangeKeyList_, capture::kKeyList, keyName);
    fill(pickedRangeModifierList_, capture::kModifierList, modifierName);
    fill(fullScreenKeyList_, capture::kKeyList, keyName);
    fill(fullScreenModifierList_, capture::kModifierList, modifierName);
    fill(autoCapturePeriodList_, texts::kTimerPeriods, itself);
}

void CaptureTriggersPage::Connect() {
    setFixedRangeButton_.OnClick = [this] { triggers_.PickFixedRange(); };
    // Which lists write the settings at once is kept as users have always had it:
    // a change of the first pair or of the third key is stored at the next write.
    fixedRangeKeyList_.OnChange = [this] { triggers_.HotKeyChosen(1, false); };
    fixedRangeModifierList_.OnChange = [this] { triggers_.HotKeyChosen(1, false); };
    pickedRangeKeyList_.OnChange = [this] { triggers_.HotKeyChosen(2, true); };
    pickedRangeModifierList_.OnChange = [this] { triggers_.HotKeyChosen(2, true); };
    fullScreenModifierList_.OnChange = [this] { triggers_.HotKeyChosen(3, true); };
    fullScreenKeyList_.OnChange = [this] { triggers_.HotKeyChosen(3, false); };
    // The picked range's box has no handler: like the lists above it, it reaches
    // the file with the next write, as it always has.
    fixedRangeToClipboardBox_.OnClick = [this] { site_.WriteSettings(); };
    fullScreenToClipboardBox_.OnClick = [this] { site_.WriteSettings(); };
    autoCaptureBox_.OnClick = [this] { OnAutoCaptureBoxClicked(); };
    autoCapturePeriodList_.OnChange = [this] { triggers_.AutoCapturePeriodChanged(); };
    autoCaptureUnitSwitch_.OnMouseDown = [this](UINT message) { OnUnitSwitchPressed(message); };
}

// --- The settings ---------------------------------------------------------------

void CaptureTriggersPage::ApplyUnit(bool seconds) {
    secondsUnit_ = seconds;
    ShowUnit();
}

void CaptureTriggersPage::ApplyHotKeys(const settings::SettingsValues& values) {
    fixedRangeKeyList_.SetItemIndex(values.fixedRangeKey);
    fixedRangeModifierList_.SetItemIndex(values.fixedRangeModifier);
    pickedRangeKeyList_.SetItemIndex(values.pickedRangeKey);
    pickedRangeModifierList_.SetItemIndex(values.pickedRangeModifier);
    fullScreenKeyList_.SetItemIndex(values.fullScreenKey);
    fullScreenModifierList_.SetItemIndex(values.fullScreenModifier);
}

bool CaptureTriggersPage::ApplyPeriod(std::int32_t stored) {
    // Without a selected entry the timer would have no period.
    const std::int32_t entry = capture::TimerEntryFromStored(stored);
    autoCapturePeriodList_.SetItemIndex(entry);
    return entry == stored;
}

void CaptureTriggersPage::ApplyAutoCapture(bool on) {
    ApplyThroughHandler(autoCaptureBox_, on, [this] { OnAutoCaptureBoxClicked(); });
    EnablePeriodControls();
}

void CaptureTriggersPage::ApplyClipboardBoxes(const settings::SettingsValues& values) {
    ApplyThroughHandler(fixedRangeToClipboardBox_, values.fixedRangeToClipboard,
                        [this] { site_.WriteSettings(); });
    pickedRangeToClipboardBox_.SetChecked(values.pickedRangeToClipboard);
    ApplyThroughHandler(fullScreenToClipboardBox_, values.fullScreenToClipboard,
                        [this] { site_.WriteSettings(); });
}

void CaptureTriggersPage::Store(settings::SettingsValues& values) const {
    values.fixedRangeKey = fixedRangeKeyList_.ItemIndex();
    values.fixedRangeModifier = fixedRangeModifierList_.ItemIndex();
    values.pickedRangeKey = pickedRangeKeyList_.ItemIndex();
    values.pickedRangeModifier = pickedRangeModifierList_.ItemIndex();
    values.fullScreenKey = fullScreenKeyList_.ItemIndex();
    values.fullScreenModifier = fullScreenModifierList_.ItemIndex();
    values.autoCapturePeriodChoice = autoCapturePeriodList_.ItemIndex();
    values.autoCaptureOn = autoCaptureBox_.Checked();
    values.autoCaptureInSeconds = secondsUnit_;
    values.fixedRangeToClipboard = fixedRangeToClipboardBox_.Checked();
    values.pickedRangeToClipboard = pickedRangeToClipboardBox_.Checked();
    values.fullScreenToClipboard = fullScreenToClipboardBox_.Checked();
}

// --- What the window reads ------------------------------------------------------

capture::HotKeySelections CaptureTriggersPage::KeySelections() const {
    return {capture::HotKeySelection{fixedRangeModifierList_.ItemIndex(), fixedRangeKeyList_.ItemIndex()},
            capture::HotKeySelection{pickedRangeModifierList_.ItemIndex(), pickedRangeKeyList_.ItemIndex()},
            capture::HotKeySelection{fullScreenModifierList_.ItemIndex(), fullScreenKeyList_.ItemIndex()}};
}

capture::ClipboardBoxes CaptureTriggersPage::ClipboardChoice() const {
    return {.fixedRange = fixedRangeToClipboardBox_.Checked(),
            .pickedRange = pickedRangeToClipboardBox_.Checked(),
            .fullScreen = fullScreenToClipboardBox_.Checked()};
}

std::optional<std::uint32_t> CaptureTriggersPage::AutoCaptureIntervalMs() const {
    const int index = autoCapturePeriodList_.ItemIndex();
    if (index < 0) {
        return std::nullopt;
    }
    return capture::TimerIntervalMs(std::stoi(autoCapturePeriodList_.Item(index)), secondsUnit_);
}

void CaptureTriggersPage::ShowFixedRange(int left, int top, int width, int height) {
    fixedRangeLabel_.SetCaption(platform::Widen(settings::XYWHCaption(left, top, width, height)));
}

// --- The auto-capture -----------------------------------------------------------

void CaptureTriggersPage::EnablePeriodControls() {
    const bool on = autoCaptureBox_.Checked();
    autoCapturePeriodList_.SetEnabled(on);
    autoCaptureUnitLabel_.SetEnabled(on);
    autoCaptureUnitSwitch_.SetEnabled(on);
}

void CaptureTriggersPage::OnAutoCaptureBoxClicked() {
    EnablePeriodControls();
    triggers_.AutoCaptureSwitched(autoCaptureBox_.Checked());
    site_.WriteSettings();
}

void CaptureTriggersPage::SwitchAutoCaptureOff() {
    if (autoCaptureBox_.Checked()) {
        autoCaptureBox_.SetChecked(false);
        OnAutoCaptureBoxClicked(); // disables the period controls and writes the settings
        return;
    }
    // Already off (a hot key or a button found no range): the same end state,
    // and the settings are written all the same.
    EnablePeriodControls();
    site_.WriteSettings();
}

void CaptureTriggersPage::ShowUnit() {
    autoCaptureUnitLabel_.SetCaption(secondsUnit_ ? texts::kPerSeconds : texts::kPerMinutes);
    autoCaptureUnitLabel_.SetTextColor(secondsUnit_ ? kRed : CLR_INVALID);
}

void CaptureTriggersPage::OnUnitSwitchPressed(UINT message) {
    // Shift is read as it is at this moment, not as the press's message saw it.
    if (message != WM_RBUTTONDOWN || (::GetAsyncKeyState(VK_SHIFT) & 0x8000) == 0) {
        return;
    }
    secondsUnit_ = !secondsUnit_;
    ShowUnit();
    site_.ShowNotice(secondsUnit_ ? texts::kTimerSecondsNotice : texts::kTimerMinutesNotice);
    triggers_.AutoCapturePeriodChanged();
}

} // namespace mirulo::app
