#include "sound/MciPlayer.h"

#include <iterator>

#include "platform/SystemError.h"

namespace mirulo::sound {
namespace {

constexpr wchar_t kPlayerWindowClass[] = L"MiruloMediaPlayer";

DWORD_PTR Parameters(void* block) {
    return reinterpret_cast<DWORD_PTR>(block);
}

} // namespace

MciPlayer::MciPlayer(platform::Host& host, HWND parent) : ui::Window(host) {
    RegisterWindowClass(kPlayerWindowClass, 0, nullptr, nullptr, nullptr, nullptr);
    CreateHwnd(kPlayerWindowClass, 0, WS_CHILD, L"", 0, 0, 0, 0, parent);
}

MciPlayer::~MciPlayer() {
    Close();
}

std::wstring MciPlayer::ErrorText(MCIERROR error) {
    wchar_t text[MAXERRORLENGTH] = {};
    if (!::mciGetErrorStringW(error, text, static_cast<UINT>(std::size(text))) || text[0] == L'\0') {
        return kUnknownMciError;
    }
    return text;
}

void MciPlayer::Close() noexcept {
    if (device_ == 0) {
        return;
    }
    const MCIERROR error = ::mciSendCommandW(device_, MCI_CLOSE, MCI_WAIT, 0);
    if (error != 0) {
        lastError_ = error;
    }
    // Whatever the close reported, the id is no longer ours to use.
    device_ = 0;
    length_ = 0;
}

void MciPlayer::Play() {
    Close();

    MCI_OPEN_PARMSW open{};
    open.dwCallback = reinterpret_cast<DWORD_PTR>(hwnd());
    // No device type: the system picks the device from the file's extension.
    open.lpstrDeviceType = L"";
    open.lpstrElementName = fileName.c_str();
    const MCIERROR opened = ::mciSendCommandW(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, Parameters(&open));
    lastError_ = opened;
    if (opened != 0) {
        // A failed open may still fill in an id; no device is ours to close.
        throw platform::UserError(ErrorText(opened));
    }
    device_ = open.wDeviceID;

    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_LENGTH;
    if (::mciSendCommandW(device_, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, Parameters(&status)) == 0) {
        length_ = static_cast<DWORD>(status.dwReturn);
    }

    MCI_PLAY_PARMS play{};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(hwnd());
    const MCIERROR started = ::mciSendCommandW(device_, MCI_PLAY, MCI_NOTIFY, Parameters(&play));
    if (started != 0) {
        lastError_ = started;
    }
}

std::optional<DWORD> MciPlayer::Mode() const {
    if (device_ == 0) {
        return std::nullopt;
    }
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_MODE;
    if (::mciSendCommandW(device_, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, Parameters(&status)) != 0) {
        return std::nullopt;
    }
    return static_cast<DWORD>(status.dwReturn);
}

bool MciPlayer::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != MM_MCINOTIFY) {
        return false;
    }
    if (OnNotify) {
        OnNotify(static_cast<UINT>(wParam), static_cast<MCIDEVICEID>(lParam));
    }
    result = 0;
    return true;
}

} // namespace mirulo::sound
