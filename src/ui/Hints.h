#pragma once
// Pop-up hints for controls: one tooltip window per top-level window.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

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
    // A disabled control gets no mouse messages: they go to its parent. There
    // a second tool, covering the control's place, shows the same hint.
    struct Area {
        HWND control;
        HWND parent;
        UINT_PTR id;
    };
    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR subclassId, DWORD_PTR self);
    // Puts each area of `parent` where its control is now (controls move when
    // the scale changes; a hidden control has no area).
    void UpdateAreas(HWND parent);

    HWND tooltip_ = nullptr;
    std::vector<Area> areas_;
    std::vector<HWND> watchedParents_;
};

} // namespace mirulo::ui
