// Start at logon and the game client: the main window's side of both. The work
// itself is done by the integration classes; these handlers read the controls
// and apply the outcome.
#include <windows.h>

#include "app/MainWindowTexts.h"
#include "app/MainWindow.h"
#include "app/pages/SavingAndStartupPage.h"
#include "platform/Wide.h"
#include "integration/GameClient.h"
#include "integration/LogonTask.h"
#include "integration/UnsafePlaces.h"
#include "ui/Dispatch.h"

namespace mirulo::app {

integration::LogonTask& MainWindow::LogonTaskHere() {
    if (!logonTask_) {
        logonTask_ = std::make_unique<integration::LogonTask>(
            host(), hwnd(), integration::LogonTask::PlacesFor(host(), hwnd()));
    }
    return *logonTask_;
}

void MainWindow::StartAtLogonClicked() {
    const bool wanted = savingAndStartupPage_->StartAtLogon();
    if (const auto unusablePath = LogonTaskHere().Apply(wanted)) {
        // Nothing was registered or removed, so the box goes back to what it showed.
        savingAndStartupPage_->ShowStartAtLogon(!wanted);
        ShowNotice(texts::kNoticeLogonTaskPath + *unusablePath);
        return;
    }
    if (wanted) {
        WarnOfUnsafeProgramPlace();
    }
    WriteIni();
}

// The task is registered all the same: the user asked for it and is the one
// who can move the folder; refusing would only leave an earlier task (which
// removing needs this very run for) or a manual start, which is no safer.
void MainWindow::WarnOfUnsafeProgramPlace() {
    const std::wstring executable = host().ExecutablePath();
    if (integration::UnsafeProgramPlaces(host(), executable, SettingsPath()).empty()) {
        return;
    }
    const std::size_t slash = executable.find_last_of(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? executable : executable.substr(0, slash);
    ShowNotice(texts::kNoticeUnsafeLogonPlace + folder + texts::kNoticeUnsafeLogonPlaceHow);
}

void MainWindow::CheckLogonTask() {
    // A box that changes runs its handler, which registers the task once more. A
    // batch file that cannot be written is reported, and the start goes on.
    ui::Guarded(host(), hwnd(), [this] {
        const bool registered = LogonTaskHere().IsRegistered();
        if (savingAndStartupPage_->StartAtLogon() != registered) {
            savingAndStartupPage_->ShowStartAtLogon(registered);
            StartAtLogonClicked();
        }
    });
}

bool MainWindow::IsGameClientRunning() {
    return integration::IsGameClientRunning();
}

void MainWindow::StartGameClient() {
    if (!savingAndStartupPage_->StartGameClient() || IsGameClientRunning()) {
        return;
    }
    integration::GameClient game(host(), hwnd());
    if (!game.Start(GameClientPath())) {
        ShowNotice(texts::kNotFoundPrefix + GameClientPath());
    }
}

} // namespace mirulo::app
