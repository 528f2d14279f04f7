#include "ui/Control.h"

#include <commctrl.h>
#include <windowsx.h>

#include <stdexcept>

namespace mirulo::ui {
namespace {

constexpr wchar_t kControlProperty[] = L"Mirulo.Control";

std::wstring WindowText(HWND hwnd) {
    const int length = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::wstring ListText(HWND hwnd, UINT lengthMessage, UINT textMessage, int index) {
    const LRESULT length = ::SendMessageW(hwnd, lengthMessage, static_cast<WPARAM>(index), 0);
    if (length < 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        ::SendMessageW(hwnd, textMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

} // namespace

Control::~Control() {
    if (hwnd_ != nullptr && ::IsWindow(hwnd_)) {
        ::RemovePropW(hwnd_, kControlProperty);
    }
}

Control* Control::FromHwnd(HWND hwnd) noexcept {
    return hwnd == nullptr ? nullptr : static_cast<Control*>(::GetPropW(hwnd, kControlProperty));
}

void Control::Attach(HWND hwnd) {
    hwnd_ = hwnd;
    ::SetPropW(hwnd_, kControlProperty, this);
}

void Control::Create(HWND parent, const wchar_t* windowClass, DWORD style, DWORD exStyle,
                     std::wstring_view text, const RECT& place, int id) {
    const std::wstring caption(text);
    HWND hwnd = ::CreateWindowExW(exStyle, windowClass, caption.c_str(), style | WS_CHILD, place.left,
                                  place.top, place.right - place.left, place.bottom - place.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr) {
        throw std::runtime_error("コントロールを作成できません");
    }
    Attach(hwnd);
    OnCreated();
}

bool Control::Enabled() const {
    return ::IsWindowEnabled(hwnd_) != FALSE;
}
void Control::SetEnabled(bool enabled) {
    ::EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}
bool Control::Visible() const {
    return (::GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}
void Control::SetVisible(bool visible) {
    ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}
std::wstring Control::Caption() const {
    return WindowText(hwnd_);
}

void Control::SetCaption(std::wstring_view text) {
    const std::wstring caption(text);
    ::SetWindowTextW(hwnd_, caption.c_str());
}

void Control::SetFont(HFONT font) {
    ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Control::BringToFront() {
    ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Control::SendToBack() {
    ::SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HBRUSH Control::OnControlColor(HDC dc) {
    if (textColor != CLR_INVALID) {
        ::SetTextColor(dc, textColor);
    } else if (SeeThrough()) {
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    }
    if (backColor != CLR_INVALID) {
        ::SetBkColor(dc, backColor);
        if (!backBrush_) {
            backBrush_.reset(::CreateSolidBrush(backColor));
        }
        return backBrush_.get();
    }
    if (SeeThrough()) {
        ::SetBkMode(dc, TRANSPARENT);
    }
    return nullptr;
}

void Control::SetTextColor(COLORREF color) {
    textColor = color;
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::SetBackColor(COLORREF color) {
    backColor = color;
    backBrush_.reset();
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

// --- Button -----------------------------------------------------------------

void Button::Click() {
    if (OnClick) {
        OnClick();
    }
}

bool Button::OnCommand(WORD code) {
    // A drawn button reports the second of two quick clicks as a double-click;
    // for a button that is one more click.
    if (code != BN_CLICKED && code != BN_DOUBLECLICKED) {
        return false;
    }
    Click();
    return true;
}

// --- CheckBox ---------------------------------------------------------------

bool CheckBox::Checked() const {
    return ::SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetChecked(bool checked) {
    ::SendMessageW(hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::Click() {
    SetChecked(!Checked());
    if (OnClick) {
        OnClick();
    }
}

bool CheckBox::OnCommand(WORD code) {
    if (code != BN_CLICKED) {
        return false;
    }
    // BS_AUTOCHECKBOX has already toggled the state when the click arrives.
    if (OnClick) {
        OnClick();
    }
    return true;
}

// --- RadioButton ------------------------------------------------------------

bool RadioButton::Checked() const {
    return ::SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void RadioButton::SetChecked(bool checked) {
    ::SendMessageW(hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!checked || group_ == nullptr) {
        return;
    }
    for (RadioButton* sibling : *group_) {
        if (sibling != this) {
            sibling->SetChecked(false);
        }
    }
}

void RadioButton::Click() {
    SetChecked(true);
    if (OnClick) {
        OnClick();
    }
}

bool RadioButton::OnCommand(WORD code) {
    if (code != BN_CLICKED) {
        return false;
    }
    if (OnClick && Checked()) {
        OnClick();
    }
    return true;
}

// --- ComboBox ---------------------------------------------------------------

void ComboBox::Clear() {
    ::SendMessageW(hwnd(), CB_RESETCONTENT, 0, 0);
}

void ComboBox::Add(std::wstring_view item) {
    const std::wstring text(item);
    ::SendMessageW(hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int ComboBox::Count() const {
    return static_cast<int>(::SendMessageW(hwnd(), CB_GETCOUNT, 0, 0));
}

std::wstring ComboBox::Item(int index) const {
    return ListText(hwnd(), CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

int ComboBox::ItemIndex() const {
    return static_cast<int>(::SendMessageW(hwnd(), CB_GETCURSEL, 0, 0));
}

void ComboBox::SetItemIndex(int index) {
    const WPARAM value = index >= 0 && index < Count() ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1);
    ::SendMessageW(hwnd(), CB_SETCURSEL, value, 0);
}

bool ComboBox::OnCommand(WORD code) {
    if (code != CBN_SELCHANGE) {
        return false;
    }
    if (OnChange) {
        OnChange();
    }
    return true;
}

// --- ListBox ----------------------------------------------------------------

void ListBox::Clear() {
    ::SendMessageW(hwnd(), LB_RESETCONTENT, 0, 0);
}

void ListBox::Add(std::wstring_view item) {
    Insert(-1, item);
}

void ListBox::Insert(int index, std::wstring_view item) {
    const std::wstring text(item);
    const LRESULT result = ::SendMessageW(hwnd(), LB_INSERTSTRING, static_cast<WPARAM>(index),
                                          reinterpret_cast<LPARAM>(text.c_str()));
    if (result == LB_ERR || result == LB_ERRSPACE) {
        throw std::runtime_error("一覧に項目を追加できません");
    }
}

void ListBox::Delete(int index) {
    ::SendMessageW(hwnd(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void ListBox::SetItem(int index, std::wstring_view item) {
    const bool selected = ItemIndex() == index;
    Delete(index);
    Insert(index, item);
    if (selected) {
        SetItemIndex(index);
    }
}

void ListBox::Reserve(std::size_t count) {
    ::SendMessageW(hwnd(), LB_INITSTORAGE, count, static_cast<LPARAM>(count * 40 * sizeof(wchar_t)));
}

void ListBox::OnCreated() {
    presses_.ForwardPressesOf(hwnd(), [this] { return static_cast<bool>(OnMouseDown); });
}

int ListBox::Count() const {
    return static_cast<int>(::SendMessageW(hwnd(), LB_GETCOUNT, 0, 0));
}

std::wstring ListBox::Item(int index) const {
    return ListText(hwnd(), LB_GETTEXTLEN, LB_GETTEXT, index);
}

int ListBox::ItemIndex() const {
    return static_cast<int>(::SendMessageW(hwnd(), LB_GETCURSEL, 0, 0));
}

void ListBox::SetItemIndex(int index) {
    const WPARAM value = index >= 0 && index < Count() ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1);
    ::SendMessageW(hwnd(), LB_SETCURSEL, value, 0);
}

void ListBox::SetRedraw(bool redraw) {
    ::SendMessageW(hwnd(), WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
    if (redraw) {
        ::InvalidateRect(hwnd(), nullptr, TRUE);
    }
}

bool ListBox::OnCommand(WORD code) {
    if (presses_.Take(code, OnMouseDown)) {
        return true;
    }
    if (code == LBN_SELCHANGE) {
        if (OnClick) {
            OnClick();
        }
        return true;
    }
    if (code == LBN_DBLCLK) {
        if (OnDblClick) {
            OnDblClick();
        }
        return true;
    }
    return false;
}

// --- Edit -------------------------------------------------------------------

namespace {

LRESULT CALLBACK EditMouseProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &EditMouseProc, 4);
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    if (message == WM_MOUSEMOVE) {
        // Asked again on every move: the request ends with each WM_MOUSELEAVE.
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd, 0};
        ::TrackMouseEvent(&track);
    } else if (message == WM_MOUSELEAVE) {
        reinterpret_cast<Edit*>(data)->ForwardMouseLeave();
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace

void Edit::OnCreated() {
    ::SetWindowSubclass(hwnd(), &EditMouseProc, 4, reinterpret_cast<DWORD_PTR>(this));
}

void Edit::ForwardMouseLeave() {
    if (!OnMouseLeave) {
        return;
    }
    // As for presses (MouseDownForwarder): the handler runs through the parent's
    // window procedure, where a failure is reported like any other.
    ::SendMessageW(::GetParent(hwnd()), WM_COMMAND,
                   MAKEWPARAM(::GetDlgCtrlID(hwnd()), kMouseLeaveNotification),
                   reinterpret_cast<LPARAM>(hwnd()));
}

bool Edit::OnCommand(WORD code) {
    if (code == EN_KILLFOCUS) {
        if (OnExit) {
            OnExit();
        }
        return true;
    }
    if (code == kMouseLeaveNotification) {
        if (OnMouseLeave) {
            OnMouseLeave();
        }
        return true;
    }
    return false;
}

// --- Label ------------------------------------------------------------------

void Label::OnCreated() {
    presses_.ForwardPressesOf(hwnd(), [this] { return static_cast<bool>(OnMouseDown); });
}

bool Label::OnCommand(WORD code) {
    if (presses_.Take(code, OnMouseDown)) {
        return true;
    }
    if (code != STN_CLICKED) {
        return false;
    }
    if (OnClick) {
        OnClick();
    }
    return true;
}

void Label::SetCaption(std::wstring_view text) {
    Control::SetCaption(text);
    if (autoSize) {
        FitToText();
    }
}

void Label::FitToText() {
    const std::wstring text = Caption();
    HDC dc = ::GetDC(hwnd());
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd(), dc);
    ::SetWindowPos(hwnd(), nullptr, 0, 0, extent.cx, metrics.tmHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- StatusBar --------------------------------------------------------------

void StatusBar::SetupSinglePanel() {
    int edges[1] = {-1};
    ::SendMessageW(hwnd(), SB_SETPARTS, 1, reinterpret_cast<LPARAM>(edges));
}

std::wstring StatusBar::Text() const {
    const LRESULT info = ::SendMessageW(hwnd(), SB_GETTEXTLENGTHW, 0, 0);
    const auto length = static_cast<std::size_t>(LOWORD(info));
    std::wstring text(length + 1, L'\0');
    ::SendMessageW(hwnd(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

void StatusBar::SetText(std::wstring_view text) {
    const std::wstring value(text);
    ::SendMessageW(hwnd(), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(value.c_str()));
}

} // namespace mirulo::ui
