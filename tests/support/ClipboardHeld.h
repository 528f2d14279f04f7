#pragma once
#include <windows.h>

namespace mirulo::testkit {

// Another thread keeps the clipboard open, as another program would, until the
// holder ends.
class ClipboardHeld {
public:
    ClipboardHeld() {
        thread_ = ::CreateThread(nullptr, 0, &ClipboardHeld::Run, this, 0, nullptr);
        ::WaitForSingleObject(opened_, 5000);
    }
    ClipboardHeld(const ClipboardHeld&) = delete;
    ClipboardHeld& operator=(const ClipboardHeld&) = delete;
    ~ClipboardHeld() {
        ::SetEvent(release_);
        ::WaitForSingleObject(thread_, 5000);
        for (HANDLE handle : {thread_, opened_, release_}) {
            ::CloseHandle(handle);
        }
    }
    bool holding() const { return holding_; }

private:
    static DWORD WINAPI Run(void* self) {
        auto* held = static_cast<ClipboardHeld*>(self);
        held->holding_ = ::OpenClipboard(nullptr) != FALSE;
        ::SetEvent(held->opened_);
        ::WaitForSingleObject(held->release_, 30000);
        if (held->holding_) {
            ::CloseClipboard();
        }
        return 0;
    }

    HANDLE opened_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread_ = nullptr;
    bool holding_ = false;
};

} // namespace mirulo::testkit
