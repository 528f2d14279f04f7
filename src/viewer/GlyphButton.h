#pragma once
// The viewer's flat picture buttons: a glyph of ours instead of a caption,
// drawn with alpha. A button can also report the press itself (mouse-down, left
// or right) for the actions that happen as soon as the button goes down.
#include <windows.h>

#include <functional>

#include "ui/AlphaBitmap.h"
#include "ui/Control.h"

namespace mirulo::viewer {

class GlyphButton final : public ui::Control {
public:
    using ui::Control::Control;

    // Creates the button with the glyph of an RCDATA PNG resource.
    void Create(HWND parent, const RECT& place, int id, int glyphResource);

    std::function<void()> OnClick;
    // WM_LBUTTONDOWN or WM_RBUTTONDOWN on the button; set it to act on the press.
    std::function<void(UINT message)> OnMouseDown;

    bool OnCommand(WORD code) override;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
    void ForwardMouseDown(UINT message);

protected:
    void OnCreated() override;

private:
    static constexpr WORD kMouseDownNotification = 0x7F02;
    ui::AlphaBitmap glyph_;
    UINT pendingMouseMessage_ = 0;
};

} // namespace mirulo::viewer
