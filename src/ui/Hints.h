#pragma once
// Pop-up hints for controls: one tooltip window per top-level window.
#include <windows.h>

#include <string>
#include <string_view>

namespace mirulo::ui {

class Hints {
public:
    Hints() = default;
    Hints(const Hints&) = delete;
    Hints& operator=(const Hints&) = delete;
    ~Hints();

    void Create(HWND owner, HFONT font);
    // Shows `text` while the pointer rests on `control`.
    void Add(HWND control, std::wstring_view text);
    // Delay before a hint appears and how long it stays, in milliseconds.
    void SetTiming(UINT showAfter, UINT keepFor);
    HWND hwnd() const noexcept { return tooltip_; }
    // The hint registered for a control, or empty.
    std::wstring TextFor(HWND control) const;

private:
    HWND tooltip_ = nullptr;
};

} // namespace mirulo::ui
