// How the main window gets out of the way and comes back: minimising, hiding in
// the notification area, starting minimised, its own minimise and close
// buttons, dragging it by the tab strip, the wheel guard of the setting lists,
// and the grey colour mode.
#include <windows.h>

#include "app/MainWindow.h"
#include "app/pages/TabStripButtons.h"
#include "app/pages/PicturePage.h"
#include "app/pages/SavingAndStartupPage.h"
#include "app/pages/CaptureTriggersPage.h"
#include "app/pages/SoundPage.h"
#include "ui/Dispatch.h"

namespace mirulo::app {
namespace {

constexpr LONG_PTR kHiddenExStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
constexpr WPARAM kMoveByCaption = SC_MOVE | HTCAPTION;

constexpr COLORREF kNormalPageColour = 12621236; // red 180, green 149, blue 192
constexpr COLORREF kGreyPageColour = 8421504;    // red 128, green 128, blue 128

} // namespace

void MainWindow::ConnectTray(HICON icon) {
    trayIcon_ = std::make_unique<ui::TrayIcon>(icon, ui::kApplicationTitle);
    trayIcon_->OnClick = [this] { ui::Guarded(host(), hwnd(), [this] { OnTrayIconClicked(); }); };
    startMinimisedTimer_.OnTimer = [this] { OnStartMinimisedTimer(); };
    tabStripButtons_->OnMinimizeClicked = [this] { OnMinimizeClicked(); };
    tabStripButtons_->OnCloseClicked = [this] { OnCloseClicked(); };
    soundPage_->OnBusinessModeClicked = [this] { OnBusinessModeClicked(); };
    tabs_.OnMouseDown = [this](UINT message, POINT point) { OnTabStripMouseDown(message, point); };
    wheelFilter_ =
        std::make_unique<ui::MouseWheelFilter>(hwnd(), [this](POINT at) { return FormMouseWheel(at); });
    resizeConnected_ = true;
}

void MainWindow::OnSize(UINT, int, int) {
    if (resizeConnected_) {
        ui::Guarded(host(), hwnd(), [this] { FormResize(); });
    }
}

// --- Notification area ----------------------------------------------------------

void MainWindow::HideToTray() {
    if (!trayIcon_->Show()) {
        // No notification area to come back from: the window stays minimised on
        // the task bar, where the user can always find it.
        return;
    }
    ::ShowWindow(hwnd(), SW_HIDE);
    ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, kHiddenExStyle);
}

void MainWindow::RestoreFromTray() {
    trayIcon_->Hide();
    // The style goes back before the window shows: a window shown while it is
    // still a tool window gets no task-bar button.
    ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, extendedStyleAtStart_);
    ::ShowWindow(hwnd(), SW_SHOW);
}

void MainWindow::FormResize() {
    if (::IsIconic(hwnd())) {
        if (savingAndStartupPage_->TrayIconWanted()) {
            HideToTray();
        }
        return;
    }
    RestoreFromTray();
}

void MainWindow::OnTrayIconClicked() {
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    if (::IsIconic(hwnd())) {
        ::ShowWindow(hwnd(), SW_RESTORE);
    }
    // Raised above every window once, then an ordinary window again: in front
    // of the game, not stuck above it.
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ui::ProcessPendingMessages();
    if (!::IsWindow(hwnd())) {
        return; // the program ended while the messages were handled
    }
    ::SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::ShowWindow(hwnd(), SW_SHOW);
    ::SetForegroundWindow(hwnd());
}

// --- Minimise, close, start minimised ---------------------------------------------

void MainWindow::OnMinimizeClicked() {
    ::ShowWindow(hwnd(), SW_MINIMIZE);
}

void MainWindow::OnCloseClicked() {
    ::SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void MainWindow::OnStartMinimisedTimer() {
    ::ShowWindow(hwnd(), SW_MINIMIZE);
    startMinimisedTimer_.SetEnabled(false);
}

void MainWindow::StartMinimisedChanged() {
    if (::IsIconic(hwnd())) {
        ::ShowWindow(hwnd(), SW_RESTORE);
    }
    WriteIni();
}

void MainWindow::TrayIconChoiceChanged() {
    if (::IsIconic(hwnd())) {
        ::ShowWindow(hwnd(), SW_RESTORE);
    }
    RestoreFromTray();
    WriteIni();
}

// --- Window drag and wheel guard --------------------------------------------------

void MainWindow::OnTabStripMouseDown(UINT message, POINT point) {
    // Only a press of the real button starts the drag: the system's move loop
    // ends on the button's release, and a press that was only sent as a message
    // (an automation tool, an accessibility aid) would leave it waiting for one.
    if (message != WM_LBUTTONDOWN || ::GetKeyState(VK_LBUTTON) >= 0) {
        return;
    }
    // The system's own move loop, as if the caption were dragged.
    ::ReleaseCapture();
    ::SendMessageW(hwnd(), WM_SYSCOMMAND, kMoveByCaption, MAKELPARAM(point.x, point.y));
}

bool MainWindow::FormMouseWheel(POINT screenPoint) {
    HWND under = ::WindowFromPoint(screenPoint);
    if (under == nullptr) {
        return false;
    }
    // WindowFromPoint passes over a disabled control to its parent; the control
    // itself is the one under the pointer.
    POINT client = screenPoint;
    ::ScreenToClient(under, &client);
    if (HWND child = ::ChildWindowFromPointEx(under, client, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT)) {
        under = child;
    }
    for (const ui::Control* control : controls_) {
        const auto* list = dynamic_cast<const ui::ComboBox*>(control);
        if (list != nullptr && (under == list->hwnd() || ::IsChild(list->hwnd(), under))) {
            return true;
        }
    }
    return false;
}

// --- Colour mode ------------------------------------------------------------------

void MainWindow::OnBusinessModeClicked() {
    const bool grey = soundPage_->BusinessMode();
    // Every page loses its illustration; the main page its banner and title too,
    // and its list grows over the banner's place.
    picturePage_->ShowIllustration(!grey);
    picturePage_->ShowBusinessMode(grey);
    savingAndStartupPage_->ShowIllustration(!grey);
    captureTriggersPage_->ShowIllustration(!grey);
    soundPage_->ShowIllustration(!grey);
    const COLORREF colour = grey ? kGreyPageColour : kNormalPageColour;
    for (int page = 0; page < 4; ++page) {
        tabs_.SetPageGradientEnd(page, colour);
    }
    for (int page = 0; page < 4; ++page) {
        tabs_.SetPagePressedTabColor(page, colour);
    }
    ::SetWindowTextW(hwnd(), (grey ? businessCaption_ : normalCaption_).c_str());
    WriteIni();
}

} // namespace mirulo::app
