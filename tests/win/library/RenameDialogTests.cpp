// The rename dialog on a display whose scale changes while it exists: its
// controls are laid out again from their 96-DPI places with fonts of the new size.
#include <windows.h>

#include <gtest/gtest.h>

#include "library/RenameDialog.h"
#include "platform/RecordingHost.h"
#include "support/Desktop.h"

using namespace mirulo;

namespace {

using testkit::PlaceInParent;

LONG At144(LONG pixelsAt96) {
    return ::MulDiv(pixelsAt96, 144, 96);
}

LONG FontHeight(HWND control) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font.lfHeight;
}

TEST(RenameDialog, ItsControlsTakeOneAndAHalfTimesTheirPlacesAndFontsAfterAChangeTo144Dpi) {
    platform::RecordingHost host;
    library::RenameDialog dialog(host);
    ASSERT_EQ(dialog.dpi(), 96u);
    const ui::Control* const fixed[] = {&dialog.currentNameEdit, &dialog.newNameEdit, &dialog.cancelButton,
                                        &dialog.okButton};
    const ui::Control* const labels[] = {&dialog.currentNameLabel, &dialog.newNameLabel};
    RECT at96[4]{};
    for (std::size_t i = 0; i < 4; ++i) {
        at96[i] = PlaceInParent(fixed[i]->hwnd());
    }
    const RECT label96 = PlaceInParent(dialog.currentNameLabel.hwnd());
    const LONG fontAt96 = FontHeight(dialog.newNameEdit.hwnd());
    ASSERT_EQ(fontAt96, -12);

    RECT frame{};
    ::GetWindowRect(dialog.hwnd(), &frame);
    ::SendMessageW(dialog.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&frame));
    ASSERT_EQ(dialog.dpi(), 144u);

    for (std::size_t i = 0; i < 4; ++i) {
        const RECT now = PlaceInParent(fixed[i]->hwnd());
        EXPECT_EQ(now.left, At144(at96[i].left));
        EXPECT_EQ(now.top, At144(at96[i].top));
        EXPECT_EQ(now.right, At144(at96[i].right));
        EXPECT_EQ(now.bottom, At144(at96[i].bottom));
        EXPECT_EQ(FontHeight(fixed[i]->hwnd()), At144(fontAt96));
    }
    // Labels keep fitting their text, now in the larger font.
    for (const ui::Control* label : labels) {
        EXPECT_EQ(FontHeight(label->hwnd()), At144(fontAt96));
    }
    const RECT labelNow = PlaceInParent(dialog.currentNameLabel.hwnd());
    EXPECT_EQ(labelNow.left, At144(label96.left));
    EXPECT_GT(labelNow.right - labelNow.left, label96.right - label96.left);
}

} // namespace
