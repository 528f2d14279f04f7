#pragma once
// The main window: the frame around the four pages (each a class of its own in
// app/pages), the tab widget and its buttons, the tray, the timers, the hot keys,
// the one settings model and the glue between the pages: what a page's button
// asks for (a capture, a reload, the viewer) the window does, through the small
// interfaces of app/pages/PageSite.h.
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Host.h"
#include "ui/Control.h"
#include "ui/ControlTable.h"
#include "ui/Fonts.h"
#include "ui/Hints.h"
#include "ui/TabPager.h"
#include "ui/Timer.h"
#include "ui/TrayIcon.h"
#include "ui/MouseWheelFilter.h"
#include "ui/Window.h"
#include "app/Pictures.h"
#include "app/pages/PageSite.h"
#include "library/RenameDialog.h"
#include "settings/SettingsValues.h"

#include "capture/CaptureKind.h"
#include "capture/CaptureService.h"
#include "capture/HotKeyTable.h"

namespace mirulo::integration {
class LogonTask;
}

namespace mirulo::capture {
class HotKeyRegistry;
}

namespace mirulo::viewer {
class ViewerWindow;
class ViewerMainWindow;
} // namespace mirulo::viewer

namespace mirulo::testkit {
class MainWindowDriver;
}

namespace mirulo::app {

class CaptureTriggersPage;
class PicturePage;
class SavingAndStartupPage;
class SoundPage;
class TabStripButtons;

inline constexpr wchar_t kMainWindowClass[] = L"Tfm_Mirulo";
inline constexpr wchar_t kVersionText[] = L"ver.2.10";

class MainWindow final : public ui::Window,
                         private PageSite,
                         private PicturePageSite,
                         private SavingAndStartupSite,
                         private CaptureTriggersSite {
public:
    explicit MainWindow(platform::Host& host);
    ~MainWindow() override;

    // The rename dialog and the viewer, made by the program after the window.
    void CreateRenameDialog();
    void CreateViewer();
    // Shows the window for the first time, as the program does after creating
    // all of its windows.
    void ShowFirstTime();

    // The settings as the next write would store them.
    settings::SettingsValues CurrentSettings() const;
    // The save folder, the editor and the game client, as chosen; a new save
    // folder shows in its label (the list is reloaded by whoever changes it).
    std::wstring SaveFolder() const;
    void SetSaveFolder(const std::wstring& folder);
    std::wstring EditorPath() const;
    std::wstring GameClientPath() const;
    // The fixed range, as the range picker sets it (its caption follows).
    void SetFixedRange(int left, int top, int width, int height);
    // Where the viewer was when it closed, for its next showing and the settings.
    void RememberViewerPlace(int top, int left, int height, int width);

    // Every control of the four pages and the tab strip, by its design name.
    ui::Control* FindControl(std::wstring_view name) const;
    const std::vector<ui::Control*>& AllControls() const { return controls_; }
    ui::Hints& hints() { return hints_; }
    ui::TabPager& pager() { return tabs_; }

    // The list of the save folder's pictures on the page "メイン", and what the
    // viewer and the size cap do with it.
    ui::ListBox& PictureList() const;
    PicturePage& picturePage() const { return *picturePage_; }
    std::int64_t PicturesTotalSize() const { return picturesTotalSize_; }
    void CountImages();
    bool MovePicturesToRecycleBin(const std::vector<std::wstring>& files);
    bool CopySelectedPictureToClipboard();
    void OpenSelectedPictureInEditor();

protected:
    bool OnClose() override;
    void OnDestroy() override;
    void OnShowWindow(bool shown) override;
    bool OnGetMinMaxInfo(MINMAXINFO& info) override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDpiChanged(UINT dpi, const RECT& suggested) override;
    void OnHotKey(int id, UINT virtualKey) override;
    void OnSize(UINT kind, int width, int height) override;

private:
    // The tests drive the window through it: it reads the features' state below.
    friend class testkit::MainWindowDriver;

    // --- What the pages ask of the window ---------------------------------------
    platform::Host& PageHost() override { return host(); }
    HWND PageOwner() const override { return hwnd(); }
    void WriteSettings() override { WriteIni(); }
    void ShowNotice(std::wstring_view text) override;
    bool Constructing() const override { return constructing_; }
    UnshownSettings& Model() override { return model_; }
    // The page "メイン"'s buttons and list.
    void CaptureFixedRangeNow() override;
    void CapturePickedRange(int delayMs) override;
    void CaptureFullScreen(int delayMs) override;
    void OpenSaveFolder() override;
    void ReloadPictures() override;
    void RecycleButtonPressed(UINT message) override;
    void RenameClicked() override;
    void CopyToClipboardClicked() override;
    void ViewerClicked() override;
    void EditClicked() override;
    void PictureListClicked() override;
    void PictureListDoubleClicked() override;
    void PictureListPressed(UINT message) override;
    // The page "設定１".
    void ChooseSaveFolder() override;
    void StartAtLogonClicked() override;
    void TrayIconChoiceChanged() override;
    void StartMinimisedChanged() override;
    // The page "設定２".
    void PickFixedRange() override;
    void HotKeyChosen(int range, bool writeNow) override;
    void AutoCaptureSwitched(bool on) override;
    void AutoCapturePeriodChanged() override;
    // The page "設定３"'s business-mode box: colours, pictures and caption of the whole window.
    void OnBusinessModeClicked();

    // --- Construction, showing, closing -----------------------------------------
    void CreateControls();
    void FillLists();
    void AssignHints();
    void SwitchHintsOn();
    void ComputeDefaultPosition();
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void MoveTo(int top, int left);

    // --- Settings: the whole file written from the window's current state ------
    // Returns the values read, for the construction's steps after it.
    settings::SettingsValues ReadSettings();
    settings::IniDocument LoadSettingsPatiently(const std::wstring& path);
    void ApplySettings(const settings::SettingsValues& values);
    void WriteIni();
    std::wstring SettingsPath();

    // --- Global hot keys --------------------------------------------------------
    void ConnectHotKeyWatch();
    std::int32_t& HotKeyId(int number);
    void SetHotKey(int number);
    void CheckKeySettings();
    void ReleaseHotKeys();
    void HotKeyPressed(WPARAM id);
    void WatchHeldHotKey();

    // --- Captures: a trigger names its kind; StartCapture stores the kind's code
    // in captureCode_ and runs the routine of its range --------------------------
    void StartCapture(capture::CaptureKind kind);
    void CaptureAndSave(capture::CaptureKind kind);
    void PickCropAndSave(capture::CaptureKind kind);
    void SaveCapture(const capture::CapturePicture& picture, bool toClipboard);
    void RunButtonCapture(capture::CaptureKind kind);
    bool IsSaveFolderUsable() const;
    // After-steps of a capture.
    void MoveOldestToRecycleBinWhileOverCap();
    void PlayCaptureSound();

    // --- Auto-capture -----------------------------------------------------------
    void ConnectAutoCapture();
    void OnAutoCaptureTick();
    void CaptureOnTick();
    void SwitchAutoCaptureOff();
    void ApplyTimerInterval();

    // --- The picture list and the actions on a picture -------------------------
    void SetStatusText(const std::wstring& text);
    std::wstring SelectedPicturePath() const;
    library::RenameDialog* renameDialog() const { return renameDialog_.get(); }
    // Rename of the selected picture through the dialog, without the check for a selection.
    void RenameSelectedPicture();
    // The clipboard and editor actions on a picture path, for the list, its
    // gestures and the viewer: the copy reports its status text through
    // `setStatus` and says whether a picture reached the clipboard.
    using StatusSink = std::function<void(const std::wstring&)>;
    bool CopyPictureToClipboard(const std::wstring& path, const StatusSink& setStatus);
    void OpenPictureInEditor(const std::wstring& path, std::wstring_view missingEditorMessage);

    // --- Start at logon and the game client -------------------------------------
    void CheckLogonTask();
    integration::LogonTask& LogonTaskHere();
    void WarnOfUnsafeProgramPlace();
    bool IsGameClientRunning();
    void StartGameClient();

    // --- The viewer: created after the main window, fed with the selected
    // picture and the status text --------------------------------------------------
    void ShowSelectedInViewer();
    void ShowInViewer(const std::wstring& path);
    void MirrorStatusToViewer(const std::wstring& text);

    // --- Tray, minimise, window drag and the wheel guard ------------------------
    void ConnectTray(HICON icon);
    void FormResize();
    void HideToTray();
    void RestoreFromTray();
    void OnTrayIconClicked();
    void OnMinimizeClicked();
    void OnCloseClicked();
    void OnStartMinimisedTimer();
    void OnTabStripMouseDown(UINT message, POINT point);
    bool FormMouseWheel(POINT screenPoint);

    // --- The frame: the tab widget, its buttons, the timers, the tray ----------
    ui::TabPager tabs_;
    ui::Timer autoCaptureTimer_;
    ui::Timer startMinimisedTimer_;
    std::unique_ptr<ui::TrayIcon> trayIcon_; // shown only while the window hides in the notification area
    std::unique_ptr<viewer::ViewerWindow> viewerWindow_;

    // --- State the features share ------------------------------------------------
    std::int32_t registeredHotKeyId1_ = 0;
    std::int32_t registeredHotKeyId2_ = 0;
    std::int32_t registeredHotKeyId3_ = 0;
    std::wstring captureCode_;
    bool captureSoundDue_ = false;
    // The delay the next picked-range capture waits, set by its delayed buttons.
    std::int32_t captureDelayMs_ = 0;
    std::int64_t picturesTotalSize_ = 0;
    std::wstring normalCaption_;
    std::wstring businessCaption_;
    std::wstring renameFrom_;
    std::wstring renameTo_;
    bool constructing_ = false;
    LONG_PTR extendedStyleAtStart_ = 0;

    capture::CaptureService captures_;
    std::unique_ptr<capture::HotKeyRegistry> hotKeys_;
    std::unique_ptr<library::RenameDialog> renameDialog_;
    // Pictures the size cap leaves alone for the rest of the run: the user
    // declined their move, or the shell kept them; and those it has told the
    // user it cannot move, each told once.
    std::set<std::u16string> capPassedOver_;
    std::set<std::u16string> capToldKept_;
    ui::FontCache fonts_;
    ui::ControlTable controlTable_{fonts_, &LoadArtwork};
    ui::Hints hints_;
    std::vector<ui::Control*> controls_;
    settings::ScreenDefaults screen_;
    // The settings model: the values no control holds (the save folder, the
    // editor, the game client, the fixed range, the viewer's place) live here
    // only; the pages' controls hold the rest, and CurrentSettings joins the two.
    UnshownSettings model_ = UnshownSettings::From(settings::SettingsValues{});
    bool deferSettingsWrites_ = false;
    bool settingsWritePending_ = false;
    // The settings file could not be opened or read at start (another program
    // held it): the run began on the defaults, and writes put only what the user
    // changed since over the file's own values (settingsAtStart_ is where the run
    // began, set when the construction is over).
    bool settingsFileUnread_ = false;
    std::optional<settings::SettingsValues> settingsAtStart_;
    std::set<std::string> settingsChangedInRun_;
    // The settings file was damaged at start and could not be renamed then: the
    // first write keeps it under another name.
    bool damagedFileAtStart_ = false;
    // A notice or a capture's error box is open: its message loop runs hot keys too.
    bool captureBoxOpen_ = false;
    // A tick's capture failed and its box was shown: further failures of the
    // same streak stay silent until a tick captures again.
    bool tickFailureReported_ = false;
    // Captures under way: a tick's capture can run inside another one.
    int capturesRunning_ = 0;
    // Boxes shown by ShowNotice, so a hot key's handler can tell it showed one.
    unsigned noticesShown_ = 0;
    // After a capture's box, the hot key still held down (0: none): its repeats
    // start nothing until it is let go, or until no repeat came for a while.
    UINT heldHotKey_ = 0;
    std::int64_t heldHotKeyLastRepeat_ = 0;
    ui::Timer heldHotKeyWatch_;
    std::optional<RECT> restoredFrame_; // the window's place when last in its normal state
    SIZE minTrackSize_{};
    SIZE maxTrackSize_{};
    bool formShownOnce_ = false;
    bool resizeConnected_ = false; // size changes reach FormResize once construction begins
    std::unique_ptr<ui::MouseWheelFilter> wheelFilter_;
    // The viewer reaches the main window through this; the destructor ends the
    // viewer first.
    std::unique_ptr<viewer::ViewerMainWindow> viewerLink_;
    // Holds the batch of the last elevated run until that run has ended.
    std::unique_ptr<integration::LogonTask> logonTask_;
    std::unique_ptr<PicturePage> picturePage_;
    std::unique_ptr<SavingAndStartupPage> savingAndStartupPage_;
    std::unique_ptr<CaptureTriggersPage> captureTriggersPage_;
    std::unique_ptr<SoundPage> soundPage_;
    std::unique_ptr<TabStripButtons> tabStripButtons_;
};

} // namespace mirulo::app
