#pragma once
// The tests' Host: a RecordingHost that also lets a message box take time as a
// real one does (the user has not answered yet, while the message loop goes
// on), and a clock that moves on, so that captures get names of their own.
#include <windows.h>

#include "platform/RecordingHost.h"
#include "support/ModalScript.h"

namespace mirulo::testkit {

class PickerTestHost final : public platform::Host {
public:
    platform::RecordingHost recorded;
    // How long each message box stays open, handling messages meanwhile. A box
    // opened inside another closes at once, so a fault that stacks boxes shows
    // as extra messages rather than as a test that never ends.
    DWORD messageOpenMs = 0;

    int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view caption, UINT flags) override {
        const int answer = recorded.ShowMessage(owner, text, caption, flags);
        if (messageOpenMs > 0 && !messageOpen_) {
            messageOpen_ = true;
            PumpFor(messageOpenMs);
            messageOpen_ = false;
        }
        return answer;
    }
    void Sleep(DWORD milliseconds) override { recorded.Sleep(milliseconds); }
    platform::LocalTime Now() override {
        platform::LocalTime now = recorded.now;
        now.millisecond = static_cast<int>(clockTicks_ % 1000);
        now.second = static_cast<int>(clockTicks_ / 1000 % 60);
        ++clockTicks_;
        return now;
    }
    std::int64_t PerformanceCounter() override { return recorded.PerformanceCounter(); }
    std::int64_t PerformanceFrequency() override { return recorded.PerformanceFrequency(); }
    std::intptr_t ShellLaunch(HWND owner, std::wstring_view verb, std::wstring_view file,
                               std::wstring_view parameters, std::wstring_view directory, int show) override {
        return recorded.ShellLaunch(owner, verb, file, parameters, directory, show);
    }
    std::optional<std::wstring> BrowseForFolder(HWND owner, std::wstring_view title,
                                                std::wstring_view initialFolder) override {
        return recorded.BrowseForFolder(owner, title, initialFolder);
    }
    std::optional<std::wstring> OpenFile(HWND owner, const platform::OpenFileRequest& request) override {
        return recorded.OpenFile(owner, request);
    }
    std::wstring ExecutablePath() override { return recorded.ExecutablePath(); }

private:
    long long clockTicks_ = 0;
    bool messageOpen_ = false;
};

} // namespace mirulo::testkit
