// The main window's captures: the routines that read the controls and fields,
// hand them to the capture service and run what follows a capture, and the main
// page's buttons around them.
#include <windows.h>

#include <exception>

#include "app/MainWindowTexts.h"
#include "app/MainWindow.h"
#include "app/pages/SavingAndStartupPage.h"
#include "app/pages/CaptureTriggersPage.h"
#include "app/pages/SoundPage.h"
#include "capture/CaptureService.h"
#include "library/PictureFolder.h"
#include "ui/Dispatch.h"

namespace mirulo::app {
namespace {

constexpr DWORD kSettleMilliseconds = 200;

} // namespace

bool MainWindow::IsSaveFolderUsable() const {
    return SaveFolder().size() > 1 && library::IsFolder(SaveFolder());
}

void MainWindow::ShowNotice(std::wstring_view text) {
    ++noticesShown_;
    const bool outer = !captureBoxOpen_;
    captureBoxOpen_ = true;
    host().ShowMessage(hwnd(), text, ui::kApplicationTitle, MB_OK);
    captureBoxOpen_ = !outer;
}

void MainWindow::StartCapture(capture::CaptureKind kind) {
    const std::u16string_view code = capture::CaptureCode(kind);
    captureCode_.assign(code.begin(), code.end());
    ++capturesRunning_;
    struct Running {
        int& count;
        ~Running() { --count; }
    } running{capturesRunning_};
    if (kind.range == capture::CaptureRange::Picked) {
        PickCropAndSave(kind);
    } else {
        CaptureAndSave(kind);
    }
}

void MainWindow::CaptureAndSave(capture::CaptureKind kind) {
    captureSoundDue_ = false;
    if (!IsSaveFolderUsable()) {
        ShowNotice(texts::kCaptureNoSaveFolder);
        return;
    }
    const capture::FixedRange fixed = model_.fixedRange;
    if (kind.range == capture::CaptureRange::Fixed && !fixed.IsSet()) {
        ShowNotice(texts::kCaptureNoFixedRange);
        SwitchAutoCaptureOff();
        return;
    }
    std::exception_ptr clipboardFailure;
    {
        const capture::CapturePicture picture = captures_.Take(kind.range, fixed);
        if (!picture.empty()) {
            captureSoundDue_ = true;
            try {
                SaveCapture(picture,
                            capture::CopiesToClipboard(kind.range, captureTriggersPage_->ClipboardChoice()));
            } catch (const capture::ClipboardError&) {
                // The picture is saved: the list shows it before the box tells
                // what became of the clipboard copy.
                clipboardFailure = std::current_exception();
            }
        }
    }
    CountImages();
    MoveOldestToRecycleBinWhileOverCap();
    PlayCaptureSound();
    FormResize();
    if (clipboardFailure) {
        std::rethrow_exception(clipboardFailure);
    }
}

void MainWindow::SaveCapture(const capture::CapturePicture& picture, bool toClipboard) {
    captures_.Save(picture, {.saveFolder = SaveFolder(),
                             .code = captureCode_,
                             .format = capture::FormatFromListIndex(savingAndStartupPage_->FormatIndex()),
                             .clipboardOwner = toClipboard ? hwnd() : nullptr});
}

void MainWindow::SwitchAutoCaptureOff() {
    autoCaptureTimer_.SetEnabled(false);
    captureTriggersPage_->SwitchAutoCaptureOff();
}

// --- Buttons of the main page --------------------------------------------------

void MainWindow::RunButtonCapture(capture::CaptureKind kind) {
    const bool fullScreen = kind.range == capture::CaptureRange::FullScreen;
    ::ShowWindow(hwnd(), SW_MINIMIZE);
    ::ShowWindow(hwnd(), SW_HIDE);
    host().Sleep(kSettleMilliseconds);
    if (fullScreen) {
        host().Sleep(static_cast<DWORD>(captureDelayMs_));
        captureDelayMs_ = 0;
    }
    // A capture that fails (clipboard held, disk full) is reported by the error
    // box; the window must come back all the same, or the user is left with a
    // program that has no window and no task-bar button.
    const auto bringBack = [this] {
        host().Sleep(kSettleMilliseconds);
        ::ShowWindow(hwnd(), SW_RESTORE);
        ::ShowWindow(hwnd(), SW_SHOWNA);
        ::SetForegroundWindow(hwnd());
        FormResize();
    };
    try {
        StartCapture(kind);
    } catch (...) {
        ::ShowWindow(hwnd(), SW_RESTORE);
        ::ShowWindow(hwnd(), SW_SHOWNA);
        throw;
    }
    bringBack();
}

void MainWindow::CaptureFixedRangeNow() {
    RunButtonCapture(capture::kFixedByButton);
}

void MainWindow::CaptureFullScreen(int delayMs) {
    if (delayMs > 0) {
        captureDelayMs_ = delayMs;
    }
    if (!IsSaveFolderUsable()) {
        ShowNotice(texts::kCaptureNoSaveFolder);
        captureDelayMs_ = 0;
        return;
    }
    RunButtonCapture(capture::kFullScreenByButton);
}

void MainWindow::PlayCaptureSound() {
    // Cleared before playing: a sound that fails to open still leaves it false.
    const bool due = captureSoundDue_;
    captureSoundDue_ = false;
    if (due) {
        soundPage_->PlayAfterCapture();
    }
}

} // namespace mirulo::app
