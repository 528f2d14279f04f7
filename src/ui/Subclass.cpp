#include "ui/Subclass.h"

#include <commctrl.h>

#include "ui/ProgramCursor.h"

namespace mirulo::ui {
namespace {

constexpr UINT_PTR kHandCursorId = 1;
constexpr UINT_PTR kParentBackgroundId = 2;

LRESULT CALLBACK HandCursorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    // A program-wide pointer wins: the default handling asks the parent, which shows it.
    if (message == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT && ProgramCursor::Current() == nullptr) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &HandCursorProc, kHandCursorId);
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ParentBackgroundProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR) {
    if (message == WM_ERASEBKGND) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        const auto brush = reinterpret_cast<HBRUSH>(
            ::SendMessageW(::GetParent(hwnd), WM_CTLCOLORSTATIC, wParam, reinterpret_cast<LPARAM>(hwnd)));
        if (brush != nullptr) {
            RECT area{};
            ::GetClientRect(hwnd, &area);
            ::FillRect(dc, &area, brush);
            return 1;
        }
    }
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &ParentBackgroundProc, kParentBackgroundId);
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace

void UseHandCursor(HWND control) {
    ::SetWindowSubclass(control, &HandCursorProc, kHandCursorId, 0);
}

void EraseWithParentBackground(HWND control) {
    ::SetWindowSubclass(control, &ParentBackgroundProc, kParentBackgroundId, 0);
}

} // namespace mirulo::ui
