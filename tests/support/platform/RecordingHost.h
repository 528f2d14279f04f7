#pragma once
// The Host that tests give the windows: nothing blocks, nothing launches, and
// every call is written down in order.
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Host.h"

namespace mirulo::platform {

struct HostCall {
    enum class Kind { Message, Sleep, ShellLaunch, BrowseForFolder, OpenFile };
    Kind kind;
    std::wstring text;      // message text, trace event, shell file, dialog title
    std::wstring caption;   // message caption, shell verb
    std::wstring argument;  // shell parameters
    std::wstring directory; // shell working folder, dialog's initial folder
    unsigned flags = 0;     // message box flags, sleep milliseconds, show command
    HWND owner = nullptr;
};

class RecordingHost final : public Host {
public:
    std::vector<HostCall> calls;

    // Scripted answers, taken front first; when empty: IDOK, cancelled dialogs.
    std::deque<int> messageAnswers;
    std::deque<std::optional<std::wstring>> folderAnswers;
    std::deque<std::optional<std::wstring>> fileAnswers;
    LocalTime now{2024, 3, 15, 14, 25, 30, 45};
    std::int64_t counter = 0;
    std::int64_t frequency = 10'000'000;
    std::intptr_t shellResult = 42;
    std::wstring executablePath = L"C:\\Mirulo\\Mirulo.exe";
    // Runs in place of each blocking sleep, so a test can change the world the
    // program waits on (a lock that passes, say).
    std::function<void(DWORD milliseconds)> onSleep;
    // Runs while a message box would be open, as the box's own message loop
    // would run what arrives meanwhile.
    std::function<void()> whileMessageOpen;
    // Special folders by CSIDL number; one not listed has no path.
    std::map<int, std::wstring> specialFolders;
    // The keys the user holds down.
    std::set<UINT> keysDown;

    int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view caption, UINT flags) override;
    void Sleep(DWORD milliseconds) override;
    LocalTime Now() override { return now; }
    std::int64_t PerformanceCounter() override { return counter; }
    std::int64_t PerformanceFrequency() override { return frequency; }
    std::intptr_t ShellLaunch(HWND owner, std::wstring_view verb, std::wstring_view file,
                              std::wstring_view parameters, std::wstring_view directory,
                              int showCommand) override;
    std::optional<std::wstring> BrowseForFolder(HWND owner, std::wstring_view title,
                                                std::wstring_view initialFolder) override;
    std::optional<std::wstring> OpenFile(HWND owner, const OpenFileRequest& request) override;
    std::wstring ExecutablePath() override { return executablePath; }
    std::wstring SpecialFolderPath(HWND owner, int csidl) override;
    // Recorded as a ShellLaunch; hands back a duplicate of `launchedProcess`
    // (nullptr when it is unset), so that a test decides when the run ends.
    HANDLE ShellLaunchProcess(HWND owner, std::wstring_view verb, std::wstring_view file,
                              std::wstring_view parameters, std::wstring_view directory,
                              int showCommand) override;
    HANDLE launchedProcess = nullptr;
    // Access lists by path; a path not listed has the file system's own.
    std::map<std::wstring, std::wstring> accessLists;
    std::optional<std::wstring> AccessListOf(const std::wstring& path) override;
    bool KeyIsDown(UINT virtualKey) override { return keysDown.contains(virtualKey); }

    // Convenience for assertions.
    std::vector<HostCall> CallsOf(HostCall::Kind kind) const;
    std::vector<std::wstring> Messages() const;
};

} // namespace mirulo::platform
