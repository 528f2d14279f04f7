#include "library/RenameDialog.h"

#include <commctrl.h>

#include "ui/ModalLoop.h"

namespace mirulo::library {
namespace {

constexpr wchar_t kCaption[] = L"ファイル名の変更";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOPMOST;
constexpr int kClientWidth = 409;
constexpr int kClientHeight = 94;

} // namespace

RenameDialog::RenameDialog(platform::Host& host) : ui::Window(host), controlTable_(fonts_, nullptr) {
    RegisterWindowClass(kRenameDialogClass, 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr,
                        nullptr);
    CreateHwnd(kRenameDialogClass, kExStyle, kStyle, kCaption, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
               CW_USEDEFAULT, nullptr);
    RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
    ::AdjustWindowRectExForDpi(&frame, kStyle, FALSE, kExStyle, dpi());
    ::SetWindowPos(hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    // Nothing is a tab stop and neither button is a default or cancel button:
    // Enter and Escape do nothing here. Labels take the size of their text.
    using Kind = ui::ControlKind;
    using namespace ui::row_flags;
    const ui::ControlRow rows[] = {
        {currentNameLabel, Kind::Label, 0, 8, 7, 0, 0, L"現在の名前", nullptr, kFont12, 0},
        {currentNameEdit, Kind::Edit, 0, 77, 4, 324, 23, L"", nullptr, kFont12 | kNoTabStop, 0},
        {newNameLabel, Kind::Label, 0, 8, 36, 0, 0, L"新しい名前", nullptr, kFont12, 0},
        {newNameEdit, Kind::Edit, 0, 77, 33, 324, 23, L"", nullptr, kFont12 | kNoTabStop, 0},
        {cancelButton, Kind::PushButton, 0, 245, 62, 75, 25, L"キャンセル", nullptr, kFont12 | kNoTabStop, 0},
        {okButton, Kind::PushButton, 0, 326, 62, 75, 25, L"変更確定", nullptr, kFont12 | kNoTabStop, 0},
    };
    const ui::ControlContainer containers[] = {{hwnd(), {0, 0}}};
    controlTable_.Create(rows, containers, dpi(), 100);

    okButton.OnClick = [this] { OnOkClicked(); };
    cancelButton.OnClick = [this] { OnCancelClicked(); };
}

std::optional<std::wstring> RenameDialog::Run(HWND owner, const std::wstring& name) {
    if (running_) {
        return std::nullopt;
    }
    currentName = name;
    newName.clear();
    confirmed_ = false;

    // Owned by the window it serves: above it, and no task-bar button of its own.
    ::SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    CentreOn(owner);
    FormShow();
    const bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) {
        ::EnableWindow(owner, FALSE);
    }
    ::ShowWindow(hwnd(), SW_SHOW);
    ::SetForegroundWindow(hwnd());
    ::SetFocus(newNameEdit.hwnd());
    ::SendMessageW(newNameEdit.hwnd(), EM_SETSEL, 0, -1);

    running_ = true;
    if (ui::RunModalLoop([this] { return !running_; }) != ui::ModalEnd::Done) {
        // The program is ending: the quit message is left for the main loop.
        running_ = false;
    }

    // The owner is enabled before the dialog hides, so that it, and not some
    // other program, becomes the active window again.
    if (ownerWasEnabled) {
        ::EnableWindow(owner, TRUE);
    }
    ::ShowWindow(hwnd(), SW_HIDE);
    // Owned only while it shows: a hidden top-most window still tied to its
    // owner keeps the owner from becoming top-most itself (Wine).
    ::SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, 0);
    if (owner != nullptr && ::IsWindowVisible(owner)) {
        ::SetActiveWindow(owner);
    }
    return confirmed_ ? std::optional<std::wstring>(newName) : std::nullopt;
}

void RenameDialog::OnDpiChanged(UINT newDpi, const RECT& suggested) {
    ::SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    controlTable_.SetDpi(newDpi);
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void RenameDialog::FormShow() {
    currentNameEdit.SetCaption(currentName);
    newNameEdit.SetCaption(currentName);
}

void RenameDialog::OnOkClicked() {
    newName = newNameEdit.Caption();
    confirmed_ = true;
    EndModal();
}

void RenameDialog::OnCancelClicked() {
    EndModal();
}

bool RenameDialog::OnClose() {
    EndModal();
    return true; // closing only ends the dialog; the window is reused
}

void RenameDialog::EndModal() {
    if (!running_) {
        ::ShowWindow(hwnd(), SW_HIDE);
    }
    running_ = false;
}

void RenameDialog::CentreOn(HWND owner) {
    RECT frame{};
    ::GetWindowRect(hwnd(), &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT area{};
    const bool onOwner = owner != nullptr && !::IsIconic(owner) && ::GetWindowRect(owner, &area);
    if (!onOwner) {
        // A minimised or missing owner has no frame to centre on: its monitor's work area.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        ::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor);
        area = monitor.rcWork;
    }
    const int left = area.left + ((area.right - area.left) - width) / 2;
    const int top = area.top + ((area.bottom - area.top) - height) / 2;
    ::SetWindowPos(hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace mirulo::library
