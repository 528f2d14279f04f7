#pragma once
// Drives Mirulo.exe as a user would: a copy of the program in its own folder
// (so it has its own settings file), started, found by its window, and closed.
#include <windows.h>

#include <optional>
#include <string>

namespace mirulo::testkit {

// Copies the freshly built Mirulo.exe into `folder` and returns the copy's path.
std::wstring InstallProgramCopy(const std::wstring& folder);

class MiruloProcess {
public:
    explicit MiruloProcess(const std::wstring& exePath);
    MiruloProcess(const MiruloProcess&) = delete;
    MiruloProcess& operator=(const MiruloProcess&) = delete;
    ~MiruloProcess(); // ends the process if it still runs

    DWORD id() const { return info_.dwProcessId; }
    HANDLE handle() const { return info_.hProcess; }
    // The exit code once the process has ended within `timeoutMs`.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) const;

private:
    PROCESS_INFORMATION info_{};
};

// The top-level window of `windowClass` owned by `processId` (0: any process),
// waiting up to `timeoutMs` for it to appear.
HWND WaitForWindow(const wchar_t* windowClass, DWORD processId, DWORD timeoutMs);
int CountWindows(const wchar_t* windowClass);
std::wstring WindowTitle(HWND hwnd);

} // namespace mirulo::testkit
