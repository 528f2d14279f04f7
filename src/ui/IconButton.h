#pragma once
// A button that shows a glyph of the program's artwork instead of a caption,
// drawn with alpha over the button's face. Its window text is its name, which
// it never draws: screen readers announce a button by its window text.
#include <windows.h>

#include <functional>

#include "ui/AlphaBitmap.h"
#include "ui/Control.h"
#include "ui/MouseDownForwarder.h"

namespace mirulo::ui {

class IconButton : public Button {
public:
    enum class Face {
        Raised, // a push button's raised face, pushed in while pressed
        Flat,   // the face colour with a thin edge, sunk while pressed
    };

    using Button::Button;

    Face face = Face::Raised;
    // For a button that acts the moment a mouse button goes down on it, with
    // WM_LBUTTONDOWN, WM_RBUTTONDOWN or WM_MBUTTONDOWN (a quick second press
    // counts as a press too). Such a button has no click: the press is all.
    std::function<void(UINT message)> OnMouseDown;
    void SetGlyph(AlphaBitmap glyph);
    SIZE GlyphSize() const noexcept { return {glyph_.width, glyph_.height}; }
    void ForwardMouseDown(UINT message);
    bool OnCommand(WORD code) override;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

protected:
    void OnCreated() override;

private:
    MouseDownForwarder presses_;
    AlphaBitmap glyph_;
};

} // namespace mirulo::ui
