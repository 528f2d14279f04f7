#pragma once
// The tests' Host: the recording host, but a message box takes time as a real
// one does (the user has not answered yet, while the message loop goes on), and
// the clock moves on, so that captures get names of their own.
#include <windows.h>

#include "support/ForwardingHost.h"
#include "support/ModalScript.h"

namespace mirulo::testkit {

class PickerTestHost final : public ForwardingHost {
public:
    using ForwardingHost::ForwardingHost;

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
    platform::LocalTime Now() override {
        platform::LocalTime now = recorded.now;
        now.millisecond = static_cast<int>(clockTicks_ % 1000);
        now.second = static_cast<int>(clockTicks_ / 1000 % 60);
        ++clockTicks_;
        return now;
    }

private:
    long long clockTicks_ = 0;
    bool messageOpen_ = false;
};

} // namespace mirulo::testkit
