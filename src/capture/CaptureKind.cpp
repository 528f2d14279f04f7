#include "capture/CaptureKind.h"

namespace mirulo::capture {

std::u16string_view CaptureCode(CaptureKind kind) noexcept {
    // [range][trigger], in the order the enumerations declare them.
    static constexpr std::u16string_view kCodes[3][3] = {
        {u"固K", u"固T", u"固B"}, {u"指K", u"指T", u"指B"}, {u"全K", u"全T", u"全B"}};
    return kCodes[static_cast<int>(kind.range)][static_cast<int>(kind.trigger)];
}

CaptureKind HotKeyCaptureKind(int number) noexcept {
    return number == 1 ? kFixedByHotKey : number == 2 ? kPickedByHotKey : kFullScreenByHotKey;
}

bool CopiesToClipboard(CaptureRange range, const ClipboardBoxes& boxes) noexcept {
    switch (range) {
    case CaptureRange::Fixed:
        return boxes.fixedRange;
    case CaptureRange::Picked:
        return boxes.pickedRange;
    case CaptureRange::FullScreen:
        return boxes.fixedRange || boxes.fullScreen;
    }
    return false;
}

} // namespace mirulo::capture
