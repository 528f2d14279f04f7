#include "app/Application.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/MainWindow.h"
#include "capture/CaptureWarmUp.h"
#include "ui/Dispatch.h"

namespace mirulo::app {

int RunApplication(platform::Host& host) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES |
                                                        ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&controls);
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    int exitCode = 0;
    {
        MainWindow mainWindow(host);
        mainWindow.CreateRenameDialog();
        // The viewer reads the placement that the main window's construction
        // loaded from the settings.
        mainWindow.CreateViewer();
        mainWindow.ShowFirstTime();
        // Once the window shows: the first hot key then costs what the others do.
        capture::WarmUpCaptureInBackground();

        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (!::IsDialogMessageW(mainWindow.hwnd(), &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        exitCode = 0;
    }
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return exitCode;
}

} // namespace mirulo::app
