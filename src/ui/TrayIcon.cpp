#include "ui/TrayIcon.h"

#include <shellapi.h>

#include <stdexcept>

namespace mirulo::ui {
namespace {

constexpr wchar_t kWindowClass[] = L"MiruloTrayIcon";
constexpr UINT kIconId = 1;

void RegisterClassOnce() {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), kWindowClass, &existing)) {
        return;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW; // replaced per window once `this` is known
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    if (::RegisterClassExW(&wc) == 0) {
        throw std::runtime_error("ウィンドウクラスを登録できません");
    }
}

} // namespace

TrayIcon::TrayIcon(HICON icon, std::wstring_view tooltip)
    : data_(std::make_unique<NOTIFYICONDATAW>()), shell_([](DWORD message, NOTIFYICONDATAW& data) {
          return ::Shell_NotifyIconW(message, &data) != FALSE;
      }) {
    RegisterClassOnce();
    // A hidden top-level window rather than a message-only one: the shell's
    // "TaskbarCreated" broadcast reaches top-level windows only.
    window_ = ::CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) {
        throw std::runtime_error("ウィンドウを作成できません");
    }
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TrayIcon::WindowProc));
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
    // The program runs elevated; Explorer does not. Without this filter the
    // broadcast of a restarted shell is dropped on its way to us.
    if (taskbarCreated_ != 0) {
        ::ChangeWindowMessageFilterEx(window_, taskbarCreated_, MSGFLT_ALLOW, nullptr);
    }

    data_->cbSize = sizeof(NOTIFYICONDATAW);
    data_->hWnd = window_;
    data_->uID = kIconId;
    data_->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_->uCallbackMessage = kCallbackMessage;
    data_->hIcon = icon;
    tooltip.copy(data_->szTip, std::size(data_->szTip) - 1);
}

TrayIcon::~TrayIcon() {
    Hide();
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
}

bool TrayIcon::Add() {
    return shell_(NIM_ADD, *data_);
}

bool TrayIcon::Show() {
    if (visible_) {
        return true;
    }
    leftPressed_ = false;
    visible_ = Add();
    return visible_;
}

void TrayIcon::Hide() {
    if (!visible_) {
        return;
    }
    visible_ = false;
    leftPressed_ = false;
    NOTIFYICONDATAW remove{};
    remove.cbSize = sizeof(remove);
    remove.hWnd = data_->hWnd;
    remove.uID = data_->uID;
    shell_(NIM_DELETE, remove);
}

void TrayIcon::IconMessage(UINT mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        leftPressed_ = true;
        break;
    case WM_LBUTTONUP:
        if (leftPressed_) {
            leftPressed_ = false;
            if (OnClick) {
                OnClick();
            }
        }
        break;
    case WM_MOUSEMOVE:
        break;
    default:
        // Another button, or a double click: not the start of a click.
        leftPressed_ = false;
        break;
    }
}

LRESULT TrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallbackMessage) {
        if (visible_ && wParam == data_->uID) {
            IconMessage(static_cast<UINT>(LOWORD(lParam)));
        }
        return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        // The new shell knows nothing of our icon.
        if (visible_) {
            leftPressed_ = false;
            Add();
        }
        return 0;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK TrayIcon::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TrayIcon*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // A click handler's failure is the click handler's to report; nothing may
    // cross into the shell's message loop.
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

} // namespace mirulo::ui
