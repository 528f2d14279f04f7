#include "support/MainWindowDriver.h"

#include <stdexcept>

#include "app/pages/SoundPage.h"
#include "platform/Wide.h"

namespace mirulo::testkit {

void MainWindowDriver::Missing(std::wstring_view name, const char* role, bool otherKind) {
    const std::string named = platform::Narrow(std::wstring(name));
    if (otherKind) {
        throw std::logic_error("the main window's control \"" + named + "\" is not of the kind " + role +
                               " is: the control table gives it another kind");
    }
    throw std::logic_error("the main window has no control named \"" + named + "\" (" + role +
                           "): FindControl knows only the control table's names");
}

const std::vector<std::wstring>& MainWindowDriver::SoundFiles() const {
    return window_.soundPage_->SoundFiles();
}
sound::MciPlayer* MainWindowDriver::SoundPlayer() const {
    return window_.soundPage_->Player();
}
bool MainWindowDriver::SoundDue() const {
    return window_.captureSoundDue_;
}
ui::Timer& MainWindowDriver::AutoCaptureTimer() const {
    return window_.autoCaptureTimer_;
}
std::int32_t& MainWindowDriver::CaptureDelay() const {
    return window_.captureDelayMs_;
}
std::wstring& MainWindowDriver::CaptureCode() const {
    return window_.captureCode_;
}

std::int32_t MainWindowDriver::HotKeyId(int range) const {
    switch (range) {
    case 1:
        return window_.registeredHotKeyId1_;
    case 2:
        return window_.registeredHotKeyId2_;
    case 3:
        return window_.registeredHotKeyId3_;
    default:
        throw std::logic_error("hot keys are numbered 1 (fixed range), 2 (picked range), 3 (full screen)");
    }
}

bool MainWindowDriver::Constructing() const {
    return window_.constructing_;
}
std::int64_t MainWindowDriver::PicturesTotalSize() const {
    return window_.picturesTotalSize_;
}
const std::wstring& MainWindowDriver::RenamedFrom() const {
    return window_.renameFrom_;
}
const std::wstring& MainWindowDriver::RenamedTo() const {
    return window_.renameTo_;
}
const std::wstring& MainWindowDriver::NormalCaption() const {
    return window_.normalCaption_;
}
const std::wstring& MainWindowDriver::BusinessCaption() const {
    return window_.businessCaption_;
}
LONG_PTR MainWindowDriver::ExtendedStyleAtStart() const {
    return window_.extendedStyleAtStart_;
}
ui::TrayIcon* MainWindowDriver::TrayIcon() const {
    return window_.trayIcon_.get();
}
viewer::ViewerWindow* MainWindowDriver::Viewer() const {
    return window_.viewerWindow_.get();
}
library::RenameDialog* MainWindowDriver::RenameDialog() const {
    return window_.renameDialog();
}

void MainWindowDriver::StartCapture(capture::CaptureKind kind) const {
    window_.StartCapture(kind);
}
void MainWindowDriver::WriteSettings() const {
    window_.WriteIni();
}
void MainWindowDriver::CountPictures() const {
    window_.CountImages();
}
void MainWindowDriver::MoveOldestToRecycleBinWhileOverCap() const {
    window_.MoveOldestToRecycleBinWhileOverCap();
}
void MainWindowDriver::CreateViewer() const {
    window_.CreateViewer();
}
void MainWindowDriver::CreateRenameDialog() const {
    window_.CreateRenameDialog();
}
void MainWindowDriver::SetStatusText(const std::wstring& text) const {
    window_.SetStatusText(text);
}

bool MainWindowDriver::CopyPictureToClipboard(const std::wstring& path,
                                              const app::MainWindow::StatusSink& setStatus) const {
    return window_.CopyPictureToClipboard(path, setStatus);
}

void MainWindowDriver::Choose(ui::ComboBox& list, int index) {
    list.SetItemIndex(index);
    const HWND parent = ::GetParent(list.hwnd());
    ::SendMessageW(
        parent, WM_COMMAND,
        MAKEWPARAM(static_cast<WORD>(::GetDlgCtrlID(list.hwnd())), static_cast<WORD>(CBN_SELCHANGE)),
        reinterpret_cast<LPARAM>(list.hwnd()));
}

} // namespace mirulo::testkit
