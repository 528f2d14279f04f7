// The main window's captures of the fixed range and of the whole desktop: the
// shared save routine, the main page's buttons around them, and the settings
// handlers of the format and clipboard options.
#include <windows.h>

#include <exception>

#include "app/MainWindowTexts.h"
#include "app/Tfm_Mirulo.h"
#include "capture/CaptureFiles.h"
#include "capture/CapturePicture.h"
#include "capture/ClipboardSession.h"
#include "capture/DesktopSnapshot.h"
#include "image/JpegWriter.h"
#include "image/PngWriter.h"
#include "library/PictureFolder.h"
#include "platform/Wide.h"
#include "ui/Dispatch.h"

namespace mirulo::app {
namespace {

constexpr const wchar_t* kNoSaveFolder = texts::kNoSaveFolderMessage;
constexpr const wchar_t* kNoFixedRange = texts::kNoFixedRangeMessage;
constexpr wchar_t kCodeFixedButton[] = L"固B";
constexpr wchar_t kCodeFullButton[] = L"全B";
constexpr DWORD kSettleMilliseconds = 200;

} // namespace

bool Tfm_Mirulo::IsSaveFolderUsable() const { return sImageSaveDir.size() > 1 && library::IsFolder(sImageSaveDir); }

void Tfm_Mirulo::ShowNotice(std::wstring_view text) { host().ShowMessage(hwnd(), text, ui::kApplicationTitle, MB_OK); }

void Tfm_Mirulo::CapSave() {
    blPlaySound = false;
    const bool fullScreen = tTxtRizozType.find(L'全') != std::wstring::npos;
    if (!IsSaveFolderUsable()) {
        ShowNotice(kNoSaveFolder);
        return;
    }
    if (!fullScreen && iCapLeft == 0 && iCapTop == 0 && iCapWidth == 0 && iCapHeight == 0) {
        ShowNotice(kNoFixedRange);
        SwitchAutoCaptureOff();
        return;
    }
    std::exception_ptr clipboardFailure;
    {
        capture::DesktopSnapshot snapshot = capture::SnapshotDesktop();
        const capture::CapturePicture picture =
            fullScreen ? capture::CutRectangle(std::move(snapshot), 0, 0, snapshot.width(), snapshot.height())
                       : capture::CutRectangle(snapshot, iCapLeft, iCapTop, iCapWidth, iCapHeight);
        if (!picture.empty()) {
            blPlaySound = true;
            try {
                SaveCapture(picture, cb_Key1_ToClipboard.Checked() || (cb_Key3_ToClipboard.Checked() && fullScreen));
            } catch (const capture::ClipboardError&) {
                // The picture is saved: the list shows it before the box tells
                // what became of the clipboard copy.
                clipboardFailure = std::current_exception();
            }
        }
    }
    CountImages();
    CalcFolderSizeAndDelete();
    playSound();
    FormResize();
    if (clipboardFailure) {
        std::rethrow_exception(clipboardFailure);
    }
}

void Tfm_Mirulo::SaveCapture(const capture::CapturePicture& picture, bool toClipboard) {
    const capture::ImageFormat format = capture::FormatFromListIndex(cb_PNGorJPG.ItemIndex());
    {
        const image::Image pixels = capture::ToRgbImage(picture);
        const std::vector<std::uint8_t> bytes =
            format == capture::ImageFormat::Png ? image::EncodePng(pixels, 7) : image::EncodeJpeg(pixels, 90);
        const std::wstring path = capture::CaptureFilePath(sImageSaveDir, host().Now(), tTxtRizozType, format);
        capture::WriteFileReplacing(path, bytes);
    }
    // The file is what the key was pressed for, so it comes first: a clipboard
    // that another program holds must not cost the picture.
    if (toClipboard) {
        try {
            capture::ClipboardSession clipboard = capture::ClipboardSession::Open(hwnd());
            clipboard.PutBitmap(picture);
        } catch (const capture::ClipboardError&) {
            throw;
        } catch (const std::exception& error) {
            throw capture::ClipboardError(platform::Widen(error.what()));
        }
    }
}

void Tfm_Mirulo::SwitchAutoCaptureOff() {
    Timer1.SetEnabled(false);
    if (chk_Timer.Checked()) {
        chk_Timer.SetChecked(false); // its handler disables the period controls and writes the settings
        return;
    }
    // Already off (a hot key or a button found no range): the same end state,
    // and the settings are written all the same.
    cb_Timer.SetEnabled(false);
    lbl_Timer.SetEnabled(false);
    lbl_TimerMinSec.SetEnabled(false);
    WriteIni();
}

// --- Buttons of the main page --------------------------------------------------

void Tfm_Mirulo::RunButtonCapture(const wchar_t* code, bool fullScreen) {
    ::ShowWindow(hwnd(), SW_MINIMIZE);
    ::ShowWindow(hwnd(), SW_HIDE);
    host().Sleep(kSettleMilliseconds);
    if (fullScreen) {
        host().Sleep(static_cast<DWORD>(intCaptureTimer));
        intCaptureTimer = 0;
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
        tTxtRizozType = code;
        CapSave();
    } catch (...) {
        ::ShowWindow(hwnd(), SW_RESTORE);
        ::ShowWindow(hwnd(), SW_SHOWNA);
        throw;
    }
    bringBack();
}

void Tfm_Mirulo::btn_ShotRectClick() { RunButtonCapture(kCodeFixedButton, false); }

void Tfm_Mirulo::btn_3CaptureClick() {
    if (!IsSaveFolderUsable()) {
        ShowNotice(kNoSaveFolder);
        intCaptureTimer = 0;
        return;
    }
    RunButtonCapture(kCodeFullButton, true);
}

void Tfm_Mirulo::btn_3Capture3Click() {
    intCaptureTimer = 3000;
    btn_3CaptureClick();
}

void Tfm_Mirulo::btn_3Capture10Click() {
    intCaptureTimer = 10000;
    btn_3CaptureClick();
}

void Tfm_Mirulo::ConnectCaptureButtons() {
    btn_ShotRect.OnClick = [this] { btn_ShotRectClick(); };
    btn_3Capture.OnClick = [this] { btn_3CaptureClick(); };
    btn_3Capture3.OnClick = [this] { btn_3Capture3Click(); };
    btn_3Capture10.OnClick = [this] { btn_3Capture10Click(); };
}

} // namespace mirulo::app
