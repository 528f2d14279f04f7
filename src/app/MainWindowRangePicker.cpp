// The main window's use of the range picker: setting the fixed range, and the
// picked-range capture with its buttons (hot key 2 runs it too).
#include <windows.h>

#include <exception>
#include <memory>
#include <optional>

#include "app/MainWindowTexts.h"
#include "app/MainWindow.h"
#include "app/pages/SavingAndStartupPage.h"
#include "app/pages/CaptureTriggersPage.h"
#include "capture/CapturePicture.h"
#include "capture/DesktopSnapshot.h"
#include "capture/RangePicker.h"
#include "library/PictureFolder.h"
#include "platform/Wide.h"
#include "settings/SettingsValues.h"
#include "ui/Dispatch.h"
#include "viewer/ViewerWindow.h"

namespace mirulo::app {
namespace {

constexpr DWORD kSettleMilliseconds = 200;

bool IsNormalState(HWND hwnd) {
    return !::IsIconic(hwnd) && !::IsZoomed(hwnd);
}

} // namespace

void MainWindow::PickFixedRange() {
    ::ShowWindow(hwnd(), SW_MINIMIZE);
    host().Sleep(kSettleMilliseconds);
    std::optional<capture::PickedRange> range;
    try {
        capture::RangePicker picker(host(), capture::SnapshotDesktop(), true);
        ::SetForegroundWindow(picker.hwnd());
        range = picker.Pick();
    } catch (...) {
        // No picture of the desktop: the window must not stay minimised behind the error.
        ::ShowWindow(hwnd(), SW_RESTORE);
        throw;
    }
    if (!::IsWindow(hwnd())) {
        return; // the program ended while the picker was open
    }
    if (range) {
        SetFixedRange(range->left, range->top, range->width, range->height);
    }
    // Raised above every window once, then an ordinary window again.
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ui::ProcessPendingMessages();
    ::SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::ShowWindow(hwnd(), SW_SHOW);
    FormResize();
    WriteIni();
}

void MainWindow::PickCropAndSave(capture::CaptureKind kind) {
    captureSoundDue_ = false;
    if (!IsSaveFolderUsable()) {
        ShowNotice(texts::kCaptureNoSaveFolder);
        return;
    }
    const bool wasNormal = IsNormalState(hwnd());
    std::exception_ptr clipboardFailure;
    {
        capture::RangePicker picker(host(), capture::SnapshotDesktop(), false);
        ::SetForegroundWindow(picker.hwnd());
        const std::optional<capture::PickedRange> range = picker.Pick();
        if (!::IsWindow(hwnd())) {
            return; // the program ended while the picker was open
        }
        if (range) {
            if (captureDelayMs_ > 0) {
                // The user now brings the wanted content into the rectangle.
                host().Sleep(static_cast<DWORD>(captureDelayMs_));
                captureDelayMs_ = 0;
                picker.ReplacePicture(capture::SnapshotDesktop());
            }
            const capture::CapturePicture picture =
                capture::CutRectangle(picker.Picture(), range->left, range->top, range->width, range->height);
            ::ShowWindow(hwnd(), SW_SHOWNA);
            if (!picture.empty()) {
                captureSoundDue_ = true;
                try {
                    SaveCapture(picture, capture::CopiesToClipboard(kind.range,
                                                                    captureTriggersPage_->ClipboardChoice()));
                } catch (const capture::ClipboardError&) {
                    // The picture is saved: everything after a save still runs,
                    // and the box tells of the clipboard at the end.
                    clipboardFailure = std::current_exception();
                }
            }
        } else {
            // A delay asked for by a button is not left for the next capture.
            captureDelayMs_ = 0;
            ::ShowWindow(hwnd(), SW_SHOWNA);
        }
    }
    ::SetForegroundWindow(hwnd());
    CountImages();
    MoveOldestToRecycleBinWhileOverCap();
    PlayCaptureSound();
    tabs_.SetActivePageIndex(0);
    ::ShowWindow(hwnd(), SW_SHOWNA);
    if (wasNormal) {
        if (!IsNormalState(hwnd())) {
            ::ShowWindow(hwnd(), SW_RESTORE);
        }
    } else if (!savingAndStartupPage_->TrayIconWanted()) {
        // Ends minimised in the task bar, as it was before.
        ::ShowWindow(hwnd(), SW_HIDE);
        ui::ProcessPendingMessages();
        ::ShowWindow(hwnd(), SW_SHOWMINNOACTIVE);
    }
    FormResize();
    const std::wstring newest = SelectedPicturePath();
    if (!newest.empty() && ::GetFileAttributesW(newest.c_str()) != INVALID_FILE_ATTRIBUTES) {
        ShowInViewer(newest);
    }
    if (clipboardFailure) {
        std::rethrow_exception(clipboardFailure);
    }
}

void MainWindow::ShowInViewer(const std::wstring& path) {
    if (viewerWindow_) {
        viewerWindow_->LoadPicture(path);
    }
}

void MainWindow::CapturePickedRange(int delayMs) {
    if (delayMs > 0) {
        captureDelayMs_ = delayMs;
    }
    if (!IsSaveFolderUsable()) {
        ShowNotice(texts::kCaptureNoSaveFolder);
        captureDelayMs_ = 0;
        return;
    }
    ::ShowWindow(hwnd(), SW_MINIMIZE);
    ::ShowWindow(hwnd(), SW_HIDE);
    host().Sleep(kSettleMilliseconds);
    try {
        StartCapture(capture::kPickedByButton);
    } catch (...) {
        // As for the other buttons: a failed capture still gives the window back.
        captureDelayMs_ = 0;
        ::ShowWindow(hwnd(), SW_RESTORE);
        ::ShowWindow(hwnd(), SW_SHOWNA);
        throw;
    }
    host().Sleep(kSettleMilliseconds);
    ::ShowWindow(hwnd(), SW_RESTORE);
    ::ShowWindow(hwnd(), SW_SHOWNA);
    ::SetForegroundWindow(hwnd());
    FormResize();
}

void MainWindow::SetFixedRange(int left, int top, int width, int height) {
    model_.fixedRange = {left, top, width, height};
    captureTriggersPage_->ShowFixedRange(left, top, width, height);
}

} // namespace mirulo::app
