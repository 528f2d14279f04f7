#pragma once
// Everything that needs a person or real time goes through Host: modal message
// boxes, blocking sleeps, the clock, the performance counter, shell launches,
// the folder and file dialogs, and the executable's own path. The program runs
// on RealHost; tests hand the windows a RecordingHost and read back what
// happened, without anyone having to press OK.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/LocalTime.h"

namespace mirulo::platform {

struct OpenFileRequest {
    std::wstring title;
    std::wstring filter; // pairs separated by '\0', as OPENFILENAMEW wants them
    std::wstring initialDir;
};

class Host {
public:
    virtual ~Host() = default;

    virtual int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view caption, UINT flags) = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
    virtual LocalTime Now() = 0;
    virtual std::int64_t PerformanceCounter() = 0;
    virtual std::int64_t PerformanceFrequency() = 0;
    // Runs ShellExecuteW and returns its result value (> 32 on success); callers
    // that fire and forget may ignore it. Named so that shellapi.h's ShellExecute
    // macro never renames it in some files and not in others.
    virtual std::intptr_t ShellLaunch(HWND owner, std::wstring_view verb, std::wstring_view file,
                                      std::wstring_view parameters, std::wstring_view directory,
                                      int showCommand) = 0;
    // The folder browser, opened at `initialFolder` when that folder exists.
    virtual std::optional<std::wstring> BrowseForFolder(HWND owner, std::wstring_view title,
                                                        std::wstring_view initialFolder) = 0;
    virtual std::optional<std::wstring> OpenFile(HWND owner, const OpenFileRequest& request) = 0;
    virtual std::wstring ExecutablePath() = 0;
    // The file-system path of a special folder by its CSIDL number (the system
    // folder, the local application data); empty when the shell has none. Tests
    // point these at temporary folders so that nothing touches the machine's own.
    virtual std::wstring SpecialFolderPath(HWND owner, int csidl);
    // The access list of a file or folder in the security descriptor language
    // ("D:(A;;FA;;;BA)..."); nullopt when it cannot be read. Tests stand in
    // lists of their own: Wine keeps none of those it is given.
    virtual std::optional<std::wstring> AccessListOf(const std::wstring& path);
    // ShellLaunch through ShellExecuteExW that hands back the process the shell
    // started, for a caller that must know when it has ended (it closes the
    // handle); nullptr when the shell failed or started no process of its own.
    virtual HANDLE ShellLaunchProcess(HWND owner, std::wstring_view verb, std::wstring_view file,
                                      std::wstring_view parameters, std::wstring_view directory,
                                      int showCommand);
    // Whether the key is held down now, wherever the keyboard's focus is.
    virtual bool KeyIsDown(UINT virtualKey);
};

class RealHost final : public Host {
public:
    int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view caption, UINT flags) override;
    void Sleep(DWORD milliseconds) override;
    LocalTime Now() override;
    std::int64_t PerformanceCounter() override;
    std::int64_t PerformanceFrequency() override;
    std::intptr_t ShellLaunch(HWND owner, std::wstring_view verb, std::wstring_view file,
                              std::wstring_view parameters, std::wstring_view directory,
                              int showCommand) override;
    std::optional<std::wstring> BrowseForFolder(HWND owner, std::wstring_view title,
                                                std::wstring_view initialFolder) override;
    std::optional<std::wstring> OpenFile(HWND owner, const OpenFileRequest& request) override;
    std::wstring ExecutablePath() override;
};

} // namespace mirulo::platform
