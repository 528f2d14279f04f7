#pragma once
// The page "設定２": what starts a capture and where it goes besides the file.
// For each of the three ranges its hot key (a modifier list and a key list) and
// its clipboard box; the fixed range itself; the auto-capture's box, period and
// unit.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "app/Pictures.h"
#include "app/pages/PageSite.h"
#include "capture/CaptureKind.h"
#include "capture/HotKeyTable.h"
#include "settings/SettingsValues.h"
#include "ui/Control.h"
#include "ui/ControlTable.h"

namespace mirulo::app {

class CaptureTriggersPage {
public:
    CaptureTriggersPage(PageSite& site, CaptureTriggersSite& triggers);
    CaptureTriggersPage(const CaptureTriggersPage&) = delete;
    CaptureTriggersPage& operator=(const CaptureTriggersPage&) = delete;

    // The page's controls, made from its rows of the control table on `page`,
    // with command ids from `firstId`.
    void CreateControls(ui::ControlTable& table, HWND page, UINT dpi, int firstId);
    void FillLists();
    void Connect();

    // Loading, in the window's order of effects.
    void ApplyUnit(bool seconds);
    void ApplyHotKeys(const settings::SettingsValues& values);
    // False when the stored period is none of the list's: its default entry is
    // chosen instead, and the file should get it back.
    bool ApplyPeriod(std::int32_t stored);
    void ApplyAutoCapture(bool on);
    void ApplyClipboardBoxes(const settings::SettingsValues& values);
    // The page's part of the settings as the next write stores them.
    void Store(settings::SettingsValues& values) const;

    capture::HotKeySelections KeySelections() const;
    capture::ClipboardBoxes ClipboardChoice() const;
    bool AutoCaptureOn() const { return autoCaptureBox_.Checked(); }
    // The timer's interval for the chosen period and unit; none without a chosen period.
    std::optional<std::uint32_t> AutoCaptureIntervalMs() const;
    // The period's controls follow the auto-capture box.
    void EnablePeriodControls();
    // The auto-capture box cleared (the timer found nothing to capture), the settings written.
    void SwitchAutoCaptureOff();
    void ShowFixedRange(int left, int top, int width, int height);
    void ShowIllustration(bool shown) { illustration_.SetVisible(shown); }

private:
    void OnAutoCaptureBoxClicked();
    void OnUnitSwitchPressed(UINT message);
    void ShowUnit();

    PageSite& site_;
    CaptureTriggersSite& triggers_;
    // The period is counted in seconds instead of minutes (a hidden switch).
    bool secondsUnit_ = false;

    ui::Label fixedRangeKeyHeading_{L"Label2"};
    ui::Button setFixedRangeButton_{L"btn_SetRect"};
    ui::Label fixedRangeLabel_{L"lbl_XYWH"};
    ui::ComboBox fixedRangeModifierList_{L"cb_KeyAdd1"};
    ui::ComboBox fixedRangeKeyList_{L"cb_Key1"};
    ui::CheckBox fixedRangeToClipboardBox_{L"cb_Key1_ToClipboard"};
    ui::CheckBox autoCaptureBox_{L"chk_Timer"};
    ui::ComboBox autoCapturePeriodList_{L"cb_Timer"};
    ui::Label autoCaptureUnitLabel_{L"lbl_Timer"};
    ui::Label autoCaptureUnitSwitch_{L"lbl_TimerMinSec"};
    ui::Label pickedRangeKeyHeading_{L"Label10"};
    ui::ComboBox pickedRangeModifierList_{L"cb_KeyAdd2"};
    ui::ComboBox pickedRangeKeyList_{L"cb_Key2"};
    ui::CheckBox pickedRangeToClipboardBox_{L"cb_Key2_ToClipboard"};
    ui::Label fullScreenKeyHeading_{L"Label19"};
    ui::ComboBox fullScreenModifierList_{L"cb_KeyAdd3"};
    ui::ComboBox fullScreenKeyList_{L"cb_Key3"};
    ui::CheckBox fullScreenToClipboardBox_{L"cb_Key3_ToClipboard"};
    Picture illustration_{L"img_03"};
};

} // namespace mirulo::app
