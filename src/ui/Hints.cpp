#include "ui/Hints.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace mirulo::ui {
namespace {

constexpr UINT_PTR kAreaSubclassId = 0x4D48; // 'MH'

} // namespace

Hints::~Hints() {
    for (HWND parent : watchedParents_) {
        if (::IsWindow(parent)) {
            ::RemoveWindowSubclass(parent, &Hints::ParentProc, kAreaSubclassId);
        }
    }
    if (tooltip_ != nullptr && ::IsWindow(tooltip_)) {
        ::DestroyWindow(tooltip_);
    }
}

void Hints::Create(HWND owner, HFONT font) {
    tooltip_ = ::CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
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

    HWND parent = ::GetParent(control);
    if (parent == nullptr) {
        return;
    }
    // Area ids count from 1: no window handle is that small, so they never
    // meet the ids of the tools above, which are the controls' handles.
    TTTOOLINFOW area{};
    area.cbSize = sizeof(area);
    area.uFlags = TTF_SUBCLASS;
    area.hwnd = parent;
    area.uId = areas_.size() + 1;
    area.lpszText = value.data();
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&area));
    areas_.push_back({control, parent, area.uId});
    UpdateAreas(parent);
    // Installed after the tooltip's own subclass, so it runs first and the
    // areas are in place before the tooltip looks at the pointer.
    if (std::find(watchedParents_.begin(), watchedParents_.end(), parent) == watchedParents_.end()) {
        ::SetWindowSubclass(parent, &Hints::ParentProc, kAreaSubclassId, reinterpret_cast<DWORD_PTR>(this));
        watchedParents_.push_back(parent);
    }
}

void Hints::UpdateAreas(HWND parent) {
    for (const Area& a : areas_) {
        if (a.parent != parent) {
            continue;
        }
        TTTOOLINFOW info{};
        info.cbSize = sizeof(info);
        info.hwnd = parent;
        info.uId = a.id;
        if (::IsWindowVisible(a.control)) {
            ::GetWindowRect(a.control, &info.rect);
            ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&info.rect), 2);
        }
        ::SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

LRESULT CALLBACK Hints::ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclassId,
                                   DWORD_PTR self) {
    auto* hints = reinterpret_cast<Hints*>(self);
    if (message == WM_MOUSEMOVE) {
        hints->UpdateAreas(hwnd);
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &Hints::ParentProc, subclassId);
        std::erase(hints->watchedParents_, hwnd);
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
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
    ::SendMessageW(tooltip_, TTM_GETTEXTW, static_cast<WPARAM>(buffer.size()),
                   reinterpret_cast<LPARAM>(&info));
    return std::wstring(buffer.data());
}

} // namespace mirulo::ui
