#include <windows.h>

#include "app/Application.h"
#include "app/SingleInstance.h"
#include "app/SystemDlls.h"
#include "platform/Host.h"
#include "ui/Dispatch.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    mirulo::app::SearchSystemFolderOnlyForDlls();
    if (mirulo::app::HandOverToRunningInstance()) {
        return 0;
    }
    mirulo::platform::RealHost host;
    try {
        mirulo::app::RunApplication(host);
    } catch (...) {
        // Creating the main window itself failed; nothing else is left to show it.
        mirulo::ui::ReportCurrentException(host, nullptr);
    }
    return 0;
}
