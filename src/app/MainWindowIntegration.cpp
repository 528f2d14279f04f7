// Start at logon and the game client: the main window's side of both. The work
// itself is done by the integration classes; these handlers read the controls
// and apply the outcome.
#include <windows.h>

#include "app/MainWindowTexts.h"
#include "app/Tfm_Mirulo.h"
#include "integration/GameClient.h"
#include "integration/LogonTask.h"

namespace mirulo::app {

void Tfm_Mirulo::cb_AutoStartClick() {
    integration::LogonTask task(host(), hwnd(), integration::LogonTask::PlacesFor(host(), hwnd()));
    const bool wanted = cb_AutoStart.Checked();
    if (const auto unusablePath = task.Apply(wanted)) {
        // Nothing was registered or removed, so the box goes back to what it
        // showed. Quietly: SetChecked would run this handler for the reverse change.
        ::SendMessageW(cb_AutoStart.hwnd(), BM_SETCHECK, wanted ? BST_UNCHECKED : BST_CHECKED, 0);
        ShowNotice(texts::kNoticeLogonTaskPath + *unusablePath);
        return;
    }
    WriteIni();
}

void Tfm_Mirulo::CheckLogonTask() {
    const integration::LogonTask task(host(), hwnd(), integration::LogonTask::PlacesFor(host(), hwnd()));
    // Ticking the box runs its handler, which registers the task once more.
    cb_AutoStart.SetChecked(task.IsRegistered());
}

bool Tfm_Mirulo::blExecUO() {
    return integration::IsGameClientRunning();
}

void Tfm_Mirulo::btn_ExecUOClick() {
    integration::GameClient game(host(), hwnd());
    const std::optional<std::wstring> chosen = game.Choose(sExecUOPath);
    if (!chosen) {
        return;
    }
    sExecUOPath = *chosen;
    ShowExecUOProgram();
    WriteIni();
}

void Tfm_Mirulo::StartGameClient() {
    if (!chk_ExecUO.Checked() || blExecUO()) {
        return;
    }
    integration::GameClient game(host(), hwnd());
    if (!game.Start(sExecUOPath)) {
        ShowNotice(texts::kNotFoundPrefix + sExecUOPath);
    }
}

void Tfm_Mirulo::ConnectIntegration() {
    btn_ExecUO.OnClick = [this] { btn_ExecUOClick(); };
}

} // namespace mirulo::app
