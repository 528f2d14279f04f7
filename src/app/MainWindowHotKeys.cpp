// The main window's three global hot keys: registering them from the six lists,
// the lists' handlers, and the captures that WM_HOTKEY starts.
#include <windows.h>

#include "app/MainWindow.h"
#include "app/pages/CaptureTriggersPage.h"
#include "capture/CaptureKind.h"
#include "capture/HotKeyRegistry.h"
#include "capture/HotKeyTable.h"
#include "ui/Dispatch.h"

namespace mirulo::app {

std::int32_t& MainWindow::HotKeyId(int number) {
    return number == 1 ? registeredHotKeyId1_ : number == 2 ? registeredHotKeyId2_ : registeredHotKeyId3_;
}

void MainWindow::SetHotKey(int number) {
    HotKeyId(number) = hotKeys_->SetHotKey(number, captureTriggersPage_->KeySelections());
}
void MainWindow::CheckKeySettings() {
    hotKeys_->CheckKeySettings(captureTriggersPage_->KeySelections());
}

void MainWindow::HotKeyChosen(int number, bool writeNow) {
    hotKeys_->Release(number);
    HotKeyId(number) = 0;
    SetHotKey(number);
    if (writeNow) {
        WriteIni();
    }
}

void MainWindow::HotKeyPressed(WPARAM id) {
    const auto number =
        capture::HotKeyNumberForId(id, {registeredHotKeyId1_, registeredHotKeyId2_, registeredHotKeyId3_});
    if (!number) {
        return;
    }
    StartCapture(capture::HotKeyCaptureKind(*number));
}

void MainWindow::OnHotKey(int id, UINT virtualKey) {
    // A held key repeats. While a capture's box is open its message loop would
    // start a capture per repeat, each with its own box stacked on the last,
    // until the process runs out of stack; and once the box is answered, the
    // repeats of the key still held would open the next box at once. One box
    // per press, answered once.
    if (heldHotKey_ != 0) {
        heldHotKeyLastRepeat_ = host().PerformanceCounter();
        return;
    }
    if (captureBoxOpen_) {
        return;
    }
    const unsigned noticesBefore = noticesShown_;
    bool boxShown = false;
    try {
        HotKeyPressed(static_cast<WPARAM>(id));
    } catch (...) {
        boxShown = true;
        captureBoxOpen_ = true;
        ui::ReportCurrentException(host(), hwnd());
        captureBoxOpen_ = false;
    }
    // A window closed while its box was open has nothing left to watch.
    if ((!boxShown && noticesShown_ == noticesBefore) || !::IsWindow(hwnd())) {
        return;
    }
    // Presses that came while the box was open and are still waiting belong to
    // the press the box answered.
    MSG waiting{};
    while (::PeekMessageW(&waiting, hwnd(), WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
    }
    if (host().KeyIsDown(virtualKey)) {
        heldHotKey_ = virtualKey;
        heldHotKeyLastRepeat_ = host().PerformanceCounter();
        heldHotKeyWatch_.SetEnabled(true);
    }
}

void MainWindow::WatchHeldHotKey() {
    // A key let go while another program had the keyboard may never show as up
    // here, so a second without repeats ends the wait as well.
    const std::int64_t quiet = host().PerformanceCounter() - heldHotKeyLastRepeat_;
    if (host().KeyIsDown(heldHotKey_) && quiet < host().PerformanceFrequency()) {
        return;
    }
    heldHotKey_ = 0;
    heldHotKeyWatch_.SetEnabled(false);
}

void MainWindow::ReleaseHotKeys() {
    hotKeys_->ReleaseAll();
    registeredHotKeyId1_ = registeredHotKeyId2_ = registeredHotKeyId3_ = 0;
}

void MainWindow::ConnectHotKeyWatch() {
    heldHotKeyWatch_.OnTimer = [this] { WatchHeldHotKey(); };
}

} // namespace mirulo::app
