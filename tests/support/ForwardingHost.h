#pragma once
// A Host that hands every call to a RecordingHost, for tests that change one or
// two calls (a message box that takes time, a clock that moves) and keep the
// record of everything else.
#include <windows.h>

#include "platform/RecordingHost.h"

namespace mirulo::testkit {

class ForwardingHost : public platform::Host {
public:
    explicit ForwardingHost(platform::RecordingHost& record) : recorded(record) {}

    platform::RecordingHost& recorded;

    int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view caption, UINT flags) override {
        return recorded.ShowMessage(owner, text, caption, flags);
    }
    void Sleep(DWORD milliseconds) override { recorded.Sleep(milliseconds); }
    platform::LocalTime Now() override { return recorded.Now(); }
    std::int64_t PerformanceCounter() override { return recorded.PerformanceCounter(); }
    std::int64_t PerformanceFrequency() override { return recorded.PerformanceFrequency(); }
    std::intptr_t ShellLaunch(HWND owner, std::wstring_view verb, std::wstring_view file,
                              std::wstring_view parameters, std::wstring_view directory, int show) override {
        return recorded.ShellLaunch(owner, verb, file, parameters, directory, show);
    }
    std::optional<std::wstring> AccessListOf(const std::wstring& path) override {
        return recorded.AccessListOf(path);
    }
    HANDLE ShellLaunchProcess(HWND owner, std::wstring_view verb, std::wstring_view file,
                              std::wstring_view parameters, std::wstring_view directory, int show) override {
        return recorded.ShellLaunchProcess(owner, verb, file, parameters, directory, show);
    }
    std::optional<std::wstring> BrowseForFolder(HWND owner, std::wstring_view title,
                                                std::wstring_view initialFolder) override {
        return recorded.BrowseForFolder(owner, title, initialFolder);
    }
    std::optional<std::wstring> OpenFile(HWND owner, const platform::OpenFileRequest& request) override {
        return recorded.OpenFile(owner, request);
    }
    std::wstring ExecutablePath() override { return recorded.ExecutablePath(); }
    std::wstring SpecialFolderPath(HWND owner, int csidl) override {
        return recorded.SpecialFolderPath(owner, csidl);
    }
};

} // namespace mirulo::testkit
