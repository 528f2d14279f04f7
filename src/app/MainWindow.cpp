#include "app/MainWindow.h"
#include "app/pages/PicturePage.h"
#include "app/pages/SavingAndStartupPage.h"
#include "app/pages/CaptureTriggersPage.h"

#include <windows.h>
#include <commctrl.h>

#include <cmath>

#include "AssetIds.h"
#include "app/MainWindowTexts.h"
#include "capture/CaptureFiles.h"
#include "capture/AutoCapturePeriod.h"
#include "capture/HotKeyRegistry.h"
#include "integration/LogonTask.h"
#include "app/pages/SoundPage.h"
#include "app/pages/TabStripButtons.h"
#include "viewer/PictureCopies.h"
#include "viewer/ViewerWindow.h"
#include "viewer/ViewerMainWindow.h"
#include "ui/Dispatch.h"

namespace mirulo::app {
namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
constexpr int kClientWidth = 407;
constexpr int kClientHeight = 513;

constexpr UINT_PTR kAutoCaptureTimerId = 1;
constexpr UINT_PTR kStartMinimisedTimerId = 2;
constexpr UINT_PTR kHeldHotKeyTimerId = 3;

HICON LoadProgramIcon(int size) {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MIRULO),
                                           IMAGE_ICON, size, size, LR_DEFAULTCOLOR | LR_SHARED));
}

} // namespace

MainWindow::MainWindow(platform::Host& host)
    : ui::Window(host), tabs_(host), autoCaptureTimer_(*this, kAutoCaptureTimerId, 100000),
      startMinimisedTimer_(*this, kStartMinimisedTimerId, 1000), captures_(host),
      heldHotKeyWatch_(*this, kHeldHotKeyTimerId, 50) {
    RegisterWindowClass(kMainWindowClass, CS_DBLCLKS, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                        LoadProgramIcon(::GetSystemMetrics(SM_CXICON)),
                        LoadProgramIcon(::GetSystemMetrics(SM_CXSMICON)));
    // The window can show before its construction ends (restoring the tray option
    // shows it), so it starts with its ordinary caption rather than none.
    const std::wstring designCaption = std::wstring(texts::kCaptionPrefixNormal) + kVersionText;
    CreateHwnd(kMainWindowClass, kWindowExStyle, kWindowStyle, designCaption.c_str(), CW_USEDEFAULT,
               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr);
    RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
    ::AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, kWindowExStyle, dpi());
    ::SetWindowPos(hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    hotKeys_ = std::make_unique<capture::HotKeyRegistry>(hwnd(),
                                                         [this] { ShowNotice(texts::kDuplicateKeyWarning); });
    tabs_.Create(hwnd(), RECT{0, 0, kClientWidth, kClientHeight});
    const ui::TabFont tabFonts[] = {{L"Meiryo UI", 15, true},
                                    {L"Tahoma", 15, false},
                                    {L"Meiryo UI", 15, false},
                                    {L"Meiryo UI", 15, false}};
    const wchar_t* tabCaptions[] = {texts::kTabMain, texts::kTabSettings1, texts::kTabSettings2,
                                    texts::kTabSettings3};
    for (int i = 0; i < 4; ++i) {
        tabs_.AddPage(tabCaptions[i], tabFonts[i]);
    }
    picturePage_ = std::make_unique<PicturePage>(static_cast<PicturePageSite&>(*this));
    savingAndStartupPage_ = std::make_unique<SavingAndStartupPage>(static_cast<PageSite&>(*this),
                                                                   static_cast<SavingAndStartupSite&>(*this));
    captureTriggersPage_ = std::make_unique<CaptureTriggersPage>(static_cast<PageSite&>(*this),
                                                                 static_cast<CaptureTriggersSite&>(*this));
    soundPage_ = std::make_unique<SoundPage>(static_cast<PageSite&>(*this));
    tabStripButtons_ = std::make_unique<TabStripButtons>();
    CreateControls();
    hints_.Create(hwnd(), fonts_.Get(ui::FontSpec{}, dpi()));

    savingAndStartupPage_->Connect();
    picturePage_->Connect();
    ConnectHotKeyWatch();
    captureTriggersPage_->Connect();
    ConnectAutoCapture();
    soundPage_->Connect();
    ConnectTray(LoadProgramIcon(::GetSystemMetrics(SM_CXSMICON)));

    ui::Guarded(host, hwnd(), [this] { FormCreate(); });
    if (settingsFileUnread_) {
        // Where the run on the defaults began: what differs from it later is the user's.
        settingsAtStart_ = CurrentSettings();
    }
}

MainWindow::~MainWindow() {
    viewerWindow_.reset();
    // Released with the window in FormDestroy; a window torn down without a
    // message loop (tests) must not leave global atoms behind either.
    if (hotKeys_) {
        hotKeys_->ReleaseAll();
    }
}

ui::Control* MainWindow::FindControl(std::wstring_view name) const {
    for (ui::Control* control : controls_) {
        if (control->name() == name) {
            return control;
        }
    }
    return nullptr;
}

void MainWindow::ShowFirstTime() {
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    ::UpdateWindow(hwnd());
}

// --- Construction -------------------------------------------------------------

// The start-up work, in its fixed order: option handlers that the settings run
// rely on the steps before them.
void MainWindow::FormCreate() {
    constructing_ = true;
    extendedStyleAtStart_ = ::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
    picturePage_->ShowVersion(kVersionText);
    normalCaption_ = std::wstring(texts::kCaptionPrefixNormal) + picturePage_->Version();
    businessCaption_ = std::wstring(texts::kCaptionPrefixGrey) + picturePage_->Version();
    maxTrackSize_ = {2000, 1010};
    minTrackSize_ = {100, 100};
    captureCode_.clear();
    picturePage_->SetStatusText(L"");
    AssignHints();
    SwitchHintsOn();
    FillLists();
    ComputeDefaultPosition();

    const settings::SettingsValues loaded = ReadSettings();
    ::SetWindowTextW(hwnd(), (soundPage_->BusinessMode() ? businessCaption_ : normalCaption_).c_str());
    soundPage_->BuildListAtStart(loaded.soundPath);
    ApplyTimerInterval();
    captureTriggersPage_->EnablePeriodControls();
    CheckLogonTask();

    if (IsSaveFolderUsable()) {
        // Pictures and copies whose save a crash or a kill interrupted.
        capture::FinishInterruptedSaves(SaveFolder());
        viewer::RemoveInterruptedCopy(SaveFolder());
    }
    CountImages();
    SetHotKey(1);
    SetHotKey(2);
    SetHotKey(3);
    StartGameClient();

    captureDelayMs_ = 0;
    hints_.SetTiming(200, 10000);
    if (savingAndStartupPage_->StartMinimised()) {
        startMinimisedTimer_.SetInterval(1000);
        startMinimisedTimer_.SetEnabled(true);
    }
    tabs_.SetActivePageIndex(0);
    constructing_ = false;
}

void MainWindow::AssignHints() {
    for (const auto& [control, text] : controlTable_.Hints()) {
        control->hint = text;
    }
}

void MainWindow::SwitchHintsOn() {
    for (ui::Control* control : controls_) {
        if (!control->hint.empty()) {
            control->showHint = true;
            hints_.Add(control->hwnd(), control->hint);
        }
    }
}

void MainWindow::FillLists() {
    captureTriggersPage_->FillLists();
    savingAndStartupPage_->FillLists();
}

void MainWindow::ComputeDefaultPosition() {
    // Only the work area's size counts, not where it starts.
    RECT workArea{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    RECT frame{};
    ::GetWindowRect(hwnd(), &frame);
    screen_.workAreaWidth = workArea.right - workArea.left;
    screen_.workAreaHeight = workArea.bottom - workArea.top;
    screen_.workAreaLeft = workArea.left;
    screen_.workAreaTop = workArea.top;
    screen_.windowWidth = frame.right - frame.left;
    screen_.windowHeight = frame.bottom - frame.top;
    const double height = frame.bottom - frame.top;
    const double width = frame.right - frame.left;
    screen_.centredTop = static_cast<int>(std::floor(screen_.workAreaHeight / 2.0 - height / 2.0));
    screen_.centredLeft = static_cast<int>(std::floor(screen_.workAreaWidth / 2.0 - width / 2.0));
}

void MainWindow::ApplyTimerInterval() {
    if (const auto interval = captureTriggersPage_->AutoCaptureIntervalMs()) {
        autoCaptureTimer_.SetInterval(*interval);
    }
}

void MainWindow::MoveTo(int top, int left) {
    ::SetWindowPos(hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- Showing, closing, destruction --------------------------------------------

void MainWindow::FormShow() {
    picturePage_->ArrangeOnShow();
    savingAndStartupPage_->BringIllustrationToFront();
}

void MainWindow::FormClose() {
    WriteIni();
}

void MainWindow::FormDestroy() {
    ReleaseHotKeys();
    soundPage_->Close();
}

bool MainWindow::OnClose() {
    // A failing final write must not keep the window open: report it and close.
    ui::Guarded(host(), hwnd(), [this] { FormClose(); });
    ::DestroyWindow(hwnd());
    return true;
}

void MainWindow::OnDestroy() {
    ui::Guarded(host(), hwnd(), [this] { FormDestroy(); });
    ::PostQuitMessage(0);
}

void MainWindow::OnShowWindow(bool shown) {
    if (shown) {
        FormShow();
    }
}

bool MainWindow::OnOtherMessage(UINT message, WPARAM, LPARAM, LRESULT&) {
    // Minimised (on the task bar or in the notification area) the window's own
    // rectangle is the icon's; the place to come back to is the last one it had
    // in its normal state, in screen coordinates like every other.
    if (message == WM_MOVE && !::IsIconic(hwnd()) && !::IsZoomed(hwnd())) {
        RECT frame{};
        if (::GetWindowRect(hwnd(), &frame)) {
            restoredFrame_ = frame;
        }
    }
    return false;
}

bool MainWindow::OnGetMinMaxInfo(MINMAXINFO& info) {
    if (maxTrackSize_.cx == 0) {
        return false;
    }
    info.ptMaxTrackSize = {maxTrackSize_.cx, maxTrackSize_.cy};
    info.ptMinTrackSize = {minTrackSize_.cx, minTrackSize_.cy};
    return true;
}

void MainWindow::OnDpiChanged(UINT newDpi, const RECT& suggested) {
    // Everything is laid out again from its 96-DPI description, never from the
    // current pixels, so going back and forth between monitors loses nothing to
    // rounding.
    ::SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    tabs_.SetDpi(newDpi);
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    tabs_.Resize(client.right, client.bottom);
    controlTable_.SetDpi(newDpi);
    ::SendMessageW(hints_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(ui::FontSpec{}, newDpi)),
                   FALSE);
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

} // namespace mirulo::app
