#pragma once
// An icon in the notification area. It owns its NOTIFYICONDATA and a hidden
// window that receives the shell's messages, and reports a click: a left button
// pressed and released on the icon. When the shell starts again (Explorer
// restarts, "TaskbarCreated"), a shown icon is added again, so a program that
// hid itself behind the icon never becomes unreachable.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

// <shellapi.h> stays out of headers: its ShellExecute macro would rename
// members of that name in every file that includes this one.
struct _NOTIFYICONDATAW;

namespace mirulo::ui {

class TrayIcon {
public:
    // The shell's entry point; tests put one in that fails, as a system without a
    // notification area does.
    using ShellCall = std::function<bool(DWORD message, _NOTIFYICONDATAW& data)>;

    static constexpr UINT kCallbackMessage = WM_USER + 1;

    TrayIcon(HICON icon, std::wstring_view tooltip);
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon();

    // Adds the icon. False when the shell refuses it; the icon is then not shown.
    [[nodiscard]] bool Show();
    void Hide();
    bool Visible() const noexcept { return visible_; }

    // The window the shell sends the icon's messages to.
    HWND messageWindow() const noexcept { return window_; }

    void ReplaceShellCall(ShellCall call) { shell_ = std::move(call); }

    std::function<void()> OnClick;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void IconMessage(UINT mouseMessage);
    bool Add();

    std::unique_ptr<_NOTIFYICONDATAW> data_;
    HWND window_ = nullptr;
    UINT taskbarCreated_ = 0;
    bool visible_ = false;
    bool leftPressed_ = false;
    ShellCall shell_;
};

} // namespace mirulo::ui
