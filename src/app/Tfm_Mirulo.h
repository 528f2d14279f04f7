#pragma once
// The main window: the hub of the tool. Every feature is a handler of one of its
// controls, timers or messages, and its fields are the state the features share.
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
class TfrmView;
class ViewerMainWindow;
} // namespace mirulo::viewer

namespace mirulo::app {

class CaptureTriggersPage;
class PicturePage;
class SavingAndStartupPage;
class SoundPage;

inline constexpr wchar_t kMainWindowClass[] = L"Tfm_Mirulo";
inline constexpr wchar_t kVersionText[] = L"ver.2.10";

class Tfm_Mirulo final : public ui::Window,
                         private PageSite,
                         private PicturePageSite,
                         private SavingAndStartupSite,
                         private CaptureTriggersSite {
public:
    explicit Tfm_Mirulo(platform::Host& host);
    ~Tfm_Mirulo() override;

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

    ui::Control* FindControl(std::wstring_view name) const;
    const std::vector<ui::Control*>& AllControls() const { return controls_; }
    ui::Hints& hints() { return hints_; }
    // The pages, for the tests' driver.
    PicturePage& picturePage() const { return *picturePage_; }
    SavingAndStartupPage& savingAndStartupPage() const { return *savingAndStartupPage_; }
    // The list of the save folder's pictures on the page "メイン".
    ui::ListBox& PictureList() const;
    CaptureTriggersPage& captureTriggersPage() const { return *captureTriggersPage_; }
    SoundPage& soundPage() const { return *soundPage_; }
    ui::TabPager& pager() { return tabs; }

    // --- Controls, by the names the features use -------------------------
    ui::TabPager tabs;

    // On the tab strip
    IconButton btn_Minimized{L"btn_Minimized"};
    IconButton btn_Close{L"btn_Close"};

    // Components without a place on the screen
    ui::Timer autoCaptureTimer;
    ui::Timer tm_Min;
    std::unique_ptr<ui::TrayIcon> trayIcon; // shown only while the window hides in the notification area

    // --- Fields shared by the features ------------------------------------
    std::vector<std::wstring> slPNGJPG;
    std::int32_t registeredHotKeyId1 = 0;
    std::int32_t registeredHotKeyId2 = 0;
    std::int32_t registeredHotKeyId3 = 0;
    std::wstring captureCode;
    bool captureSoundDue = false;
    std::int32_t intCaptureTimer = 0;
    std::int64_t FTotalSize = 0;
    std::wstring normalCaption;
    std::wstring businessCaption;

    std::wstring renameFrom;
    std::wstring renameTo;

    // Values that belong to the window as a whole.
    bool blInFormCreate = false;
    LONG_PTR iAppExStyle = 0;

    // --- Handlers -----------------------------------------------------------
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void btn_CloseClick();
    void tm_MinTimer();

    // Settings: the whole file written from the window's current state.
    void WriteIni();
    std::wstring SettingsPath();
    void TrayIconChoiceChanged() override;
    void StartMinimisedChanged() override;
    void StartAtLogonClicked() override;

    // Global hot keys.
    void SetHotKey1();
    void SetHotKey2();
    void SetHotKey3();
    void CheckKeySettings();
    void HotKeyPressed(WPARAM id);

    // The range picker: the fixed range, and the picked-range capture.
    void CapturePickedRange(int delayMs) override;
    // The fixed range picked again in the range picker.
    void PickFixedRange() override;

    // Auto-capture.
    void OnAutoCaptureTick();
    void CaptureOnTick();

    // Captures. A trigger names its kind; StartCapture stores the kind's code in
    // captureCode and runs the routine of its range.
    void StartCapture(capture::CaptureKind kind);
    void CapSave(capture::CaptureKind kind);
    void CropCapSave(capture::CaptureKind kind);
    void SaveCapture(const capture::CapturePicture& picture, bool toClipboard);
    void CaptureFixedRangeNow() override;
    void CaptureFullScreen(int delayMs) override;
    bool IsSaveFolderUsable() const;

    // The picture list.
    void CountImages();
    void ReloadPictures() override;
    void PictureListClicked() override;
    void PictureListDoubleClicked() override;
    void PictureListPressed(UINT message) override;
    void SetStatusText(const std::wstring& text);
    std::wstring SelectedPicturePath() const;

    // Size cap, recycle bin and the actions on a picture.
    void CreateRenameDialog();
    void RecycleButtonPressed(UINT message) override;
    void RenameClicked() override;
    void EditClicked() override;
    void CopyToClipboardClicked() override;
    library::RenameDialog* renameDialog() const { return renameDialog_.get(); }
    void OpenSaveFolder() override;
    void ChooseSaveFolder() override;
    // Rename of the selected picture through the dialog, without the check for a selection.
    void RenameSelectedPicture();
    // The clipboard and editor actions on a picture path, for the list, its
    // gestures and the viewer: the copy reports its status text through
    // `setStatus` and says whether a picture reached the clipboard.
    using StatusSink = std::function<void(const std::wstring&)>;
    bool CopyPictureToClipboard(const std::wstring& path, const StatusSink& setStatus);
    void OpenPictureInEditor(const std::wstring& path, std::wstring_view missingEditorMessage);
    // Start at logon and the game client.
    void CheckLogonTask();
    integration::LogonTask& LogonTaskHere();
    void WarnOfUnsafeProgramPlace();
    bool blExecUO();
    void StartGameClient();
    // The viewer: created after the main window, fed with the selected picture
    // and the status text.
    void CreateViewer();
    void ViewerClicked() override;
    void ShowSelectedInViewer();
    void MirrorStatusToViewer(const std::wstring& text);
    bool CopySelectedPictureToClipboard();
    void OpenSelectedPictureInEditor();
    bool MovePicturesToRecycleBin(const std::vector<std::wstring>& files);
    std::unique_ptr<viewer::TfrmView> frmView;

    // After-steps of a capture.
    void MoveOldestToRecycleBinWhileOverCap();
    void PlayCaptureSound();
    void FormResize();
    // The business-mode box's effects: colours, pictures and caption of the whole window.
    void OnBusinessModeClicked();

    // Tray, minimise, window drag and colour mode.
    void HideToTray();
    void RestoreFromTray();
    void TrayIcon1Click();
    void btn_MinimizedClick();
    void OnTabStripMouseDown(UINT message, POINT point);
    bool FormMouseWheel(POINT screenPoint);

protected:
    bool OnClose() override;
    void OnDestroy() override;
    void OnShowWindow(bool shown) override;
    bool OnGetMinMaxInfo(MINMAXINFO& info) override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDpiChanged(UINT dpi, const RECT& suggested) override;
    void OnHotKey(int id, UINT virtualKey) override;
    void WatchHeldHotKey();
    void OnSize(UINT kind, int width, int height) override;

private:
    // What the pages ask of the window.
    platform::Host& PageHost() override { return host(); }
    HWND PageOwner() const override { return hwnd(); }
    void WriteSettings() override { WriteIni(); }
    void ShowNotice(std::wstring_view text) override;
    bool Constructing() const override { return blInFormCreate; }
    settings::SettingsValues& Model() override { return model_; }
    void HotKeyChosen(int range, bool writeNow) override;
    void AutoCaptureSwitched(bool on) override;
    void AutoCapturePeriodChanged() override;

    void CreateControls();
    void FillLists();
    void AssignHints();
    void SwitchHintsOn();
    void ComputeDefaultPosition();
    void ReadSettings();
    settings::IniDocument LoadSettingsPatiently(const std::wstring& path);
    void ApplySettings(const settings::SettingsValues& values);
    void ConnectHotKeyWatch();
    void ConnectAutoCapture();
    void ShowInViewer(const std::wstring& path);
    void ConnectTray(HICON icon);
    std::int32_t& HotKeyId(int number);
    void SetHotKey(int number);
    void ReleaseHotKeys();
    void RunButtonCapture(capture::CaptureKind kind);
    void SwitchAutoCaptureOff();
    void ApplyTimerInterval();
    void MoveTo(int top, int left);
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
    std::vector<std::pair<ui::Control*, const wchar_t*>> designHints_;
    settings::ScreenDefaults screen_;
    // The settings that no control shows: the save folder, the editor, the game
    // client, the fixed range, the viewer's place, the timer's unit. The controls hold the rest;
    // CurrentSettings joins both.
    settings::SettingsValues model_;
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
};

} // namespace mirulo::app
