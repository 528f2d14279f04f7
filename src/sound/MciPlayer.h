#pragma once
// The program's one sound player on the Media Control Interface. It holds at
// most one open device: the one of the sound played last, which stays open
// after the sound has ended until the next sound or the player's end. A new
// sound closes that device first, so it cuts off a sound still playing.
// Playback never waits: MCI_PLAY returns at once and the end of the sound
// arrives later as MM_MCINOTIFY at the player's own (invisible) window.
#include <windows.h>
#include <mmsystem.h>

#include <functional>
#include <optional>
#include <string>

#include "ui/Window.h"

namespace mirulo::sound {

// MCI's text for an open that failed when it has none of its own.
inline constexpr wchar_t kUnknownMciError[] = L"原因不明のエラー";

class MciPlayer final : public ui::Window {
public:
    // The player's window is a hidden child of `parent` and goes with it.
    MciPlayer(platform::Host& host, HWND parent);
    ~MciPlayer() override;

    // The file the next Play opens.
    std::wstring fileName;

    // Closes the open device, opens fileName on the device that its extension
    // names, and starts it from the beginning without waiting for the end.
    // Throws platform::UserError with MCI's text for the error when the file
    // cannot be opened (a damaged or unsupported file); errors of starting the
    // sound are only kept in lastError().
    void Play();

    // Closes the open device, if any (MCI_CLOSE, waiting). Its error is kept in
    // lastError() and otherwise ignored.
    void Close() noexcept;

    MCIDEVICEID deviceId() const noexcept { return device_; }
    MCIERROR lastError() const noexcept { return lastError_; }
    // The length of the open sound in milliseconds, as the device reported it
    // when opened; 0 without a device.
    DWORD lengthMs() const noexcept { return length_; }
    // The open device's state now (MCI_MODE_PLAY, MCI_MODE_STOP, ...); nullopt
    // without a device or when the device does not answer.
    std::optional<DWORD> Mode() const;

    // Each notification that reaches the player: MCI_NOTIFY_SUCCESSFUL when a
    // sound played to its end, MCI_NOTIFY_ABORTED when it was cut off, and so on,
    // with the device it came from. Nothing in the program depends on it.
    std::function<void(UINT flag, MCIDEVICEID device)> OnNotify;

    // MCI's text for an error code, or kUnknownMciError when it has none.
    static std::wstring ErrorText(MCIERROR error);

protected:
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    MCIDEVICEID device_ = 0;
    MCIERROR lastError_ = 0;
    DWORD length_ = 0;
};

} // namespace mirulo::sound
