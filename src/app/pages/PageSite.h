#pragma once
// What a page of the main window asks of the window it sits in: the pages own
// their controls and handlers; writing the settings, the notices and the
// program's host stay the window's.
#include <windows.h>

#include <string_view>

#include "platform/Host.h"
#include "app/pages/UnshownSettings.h"

namespace mirulo::app {

class PageSite {
public:
    virtual platform::Host& PageHost() = 0;
    // The window that owns the pages' boxes and launches.
    virtual HWND PageOwner() const = 0;
    // A setting changed: the settings file is written by the window's rules.
    virtual void WriteSettings() = 0;
    // A notice box, as the window shows them (a hot key pressed meanwhile waits).
    virtual void ShowNotice(std::wstring_view text) = 0;
    // The construction is still applying the loaded settings.
    virtual bool Constructing() const = 0;
    // The window's settings model: the values no control holds (the save
    // folder, the editor, the game client, the fixed range, the viewer's place).
    virtual UnshownSettings& Model() = 0;

protected:
    ~PageSite() = default;
};

// What the page "メイン" asks of the window: its buttons and the list's gestures
// run the window's captures and its actions on the selected picture.
class PicturePageSite {
public:
    virtual void CaptureFixedRangeNow() = 0;
    // After `delayMs` (0: at once, or after a delay another trigger set).
    virtual void CapturePickedRange(int delayMs) = 0;
    virtual void CaptureFullScreen(int delayMs) = 0;
    virtual void OpenSaveFolder() = 0;
    virtual void ReloadPictures() = 0;
    virtual void RecycleButtonPressed(UINT message) = 0;
    virtual void RenameClicked() = 0;
    virtual void CopyToClipboardClicked() = 0;
    virtual void ViewerClicked() = 0;
    virtual void EditClicked() = 0;
    virtual void PictureListClicked() = 0;
    virtual void PictureListDoubleClicked() = 0;
    virtual void PictureListPressed(UINT message) = 0;

protected:
    ~PicturePageSite() = default;
};

// What the page "設定２" asks of the window, which keeps the hot keys, the timer
// and the range picker.
class CaptureTriggersSite {
public:
    // The fixed range picked again in the range picker.
    virtual void PickFixedRange() = 0;
    // A range's hot key (1 fixed, 2 picked, 3 full screen) chosen anew in its lists.
    virtual void HotKeyChosen(int range, bool writeNow) = 0;
    virtual void AutoCaptureSwitched(bool on) = 0;
    // The period or its unit changed: the timer takes the new interval.
    virtual void AutoCapturePeriodChanged() = 0;

protected:
    ~CaptureTriggersSite() = default;
};

// What the page "設定１" asks of the window, which keeps the picture list, the
// start at logon and the tray.
class SavingAndStartupSite {
public:
    // A new save folder chosen in the folder dialog (the list follows it).
    virtual void ChooseSaveFolder() = 0;
    virtual void OpenSaveFolder() = 0;
    virtual void StartAtLogonClicked() = 0;
    virtual void TrayIconChoiceChanged() = 0;
    virtual void StartMinimisedChanged() = 0;

protected:
    ~SavingAndStartupSite() = default;
};

// Construction applies each loaded value as a user's click would: when the value
// differs from what the box shows, the box's handler runs for its effects (the
// timer, a notice, the picture colours, a write).
template <class Box, class Handler> void ApplyThroughHandler(Box& box, bool value, Handler handler) {
    if (box.Checked() == value) {
        return;
    }
    box.SetChecked(value);
    handler();
}

} // namespace mirulo::app
