#pragma once
// The range picker: a borderless window exactly over the virtual desktop that
// shows a frozen picture of it. The user releases the left button on one corner,
// a red rubber band follows the pointer, and releasing it again on the other
// corner picks the rectangle; Escape gives up. It takes the snapshot it shows
// and gives back the picked range, in snapshot coordinates (physical pixels
// from the virtual desktop's top-left corner).
#include <windows.h>

#include <memory>
#include <optional>

#include "capture/DesktopSnapshot.h"
#include "capture/PickedRange.h"
#include "platform/Handles.h"
#include "ui/ProgramCursor.h"
#include "ui/Window.h"

namespace mirulo::capture {

inline constexpr wchar_t kRangePickerClass[] = L"TForm2";
inline constexpr wchar_t kRangePictureClass[] = L"TImage";

class RangePicker final : public ui::Window {
public:
    enum class ModalResult { None, OK, Cancel };

    // Creates the picker, hidden, over the snapshot's place on the screen, with
    // the snapshot as its picture. `stayOnTop` keeps it above topmost windows.
    RangePicker(platform::Host& host, DesktopSnapshot snapshot, bool stayOnTop);
    ~RangePicker() override;

    // Shows the picker and runs its own message loop until two corners are
    // picked (OK) or Escape is pressed (Cancel); every other message of the
    // program is handled meanwhile, as in any modal loop. The picker is hidden
    // again when this returns. A WM_QUIT that arrives meanwhile ends the loop
    // with Cancel and is passed on to the outer loop.
    ModalResult ShowModal();
    // ShowModal, and on OK the picked corners in either order as a range.
    std::optional<PickedRange> Pick();

    // The picture the picker shows.
    const DesktopSnapshot& Picture() const noexcept { return picture_; }
    // Puts a new picture in place of the frozen one, for a cut taken later.
    void ReplacePicture(DesktopSnapshot snapshot) noexcept { picture_ = std::move(snapshot); }

    // The two corners of the last picking, as clicked (either order).
    RECT pickedCorners{};
    ModalResult modalResult() const noexcept { return modalResult_; }

    // --- Handlers (the picture's coordinates are snapshot coordinates) ----------
    void FormShow();
    void FormDestroy();
    void OnKeyPressed(WPARAM key);
    void OnPictureMouseMove(POINT at);
    void OnPictureMouseUp(UINT message, POINT at);
    // Draws the rectangle outline from one corner to the other on the picture
    // with the current pen and mix mode.
    void DrawBand(POINT from, POINT to);

protected:
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    class PictureControl;
    void InvalidateBand(POINT from, POINT to);
    void Close(ModalResult result);

    DesktopSnapshot picture_;
    std::unique_ptr<PictureControl> pictureControl_;
    // The band of the picking under way: from its first corner to where the
    // pointer was last.
    POINT bandStart_{};
    POINT bandEnd_{};
    bool drawingBand_ = false;
    platform::UniquePen pen_;
    // The band on the picture now, if any: drawing it once more takes it away.
    bool bandShown_ = false;
    ModalResult modalResult_ = ModalResult::None;
    std::optional<ui::ProgramCursor> crossCursor_;
};

} // namespace mirulo::capture
