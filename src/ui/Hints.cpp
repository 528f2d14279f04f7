#include "ui/Hints.h"

#include <commctrl.h>

#include <stdexcept>
#include <vector>

namespace mirulo::ui {

Hints::~Hints() {
    if (tooltip_ != nullptr && ::IsWindow(tooltip_)) {
        ::DestroyWindow(tooltip_);
    }
}

void Hints::Create(HWND owner, HFONT font) {
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    if (tooltip_ == nullptr) {
        throw std::runtime_error("ヒントを作成できません");
    }
    ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 600);
    if (font != nullptr) {
        ::SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void Hints::Add(HWND control, std::wstring_view text) {
    std::wstring value(text);
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = ::GetParent(control);
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = value.data();
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void Hints::SetTiming(UINT showAfter, UINT keepFor) {
    ::SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(showAfter, 0));
    ::SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(keepFor, 0));
    ::SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_RESHOW, MAKELPARAM(showAfter / 5, 0));
}

std::wstring Hints::TextFor(HWND control) const {
    std::vector<wchar_t> buffer(1024, L'\0');
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = ::GetParent(control);
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = buffer.data();
    ::SendMessageW(tooltip_, TTM_GETTEXTW, static_cast<WPARAM>(buffer.size()), reinterpret_cast<LPARAM>(&info));
    return std::wstring(buffer.data());
}

} // namespace mirulo::ui
