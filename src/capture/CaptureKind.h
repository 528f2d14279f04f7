#pragma once
// What a capture takes (the fixed range, a picked range or the whole desktop)
// and what started it (a hot key, the auto-capture timer or a button). The
// two-character code in file names and the clipboard choice follow from it, so
// no code ever has to read the code text back.
#include <string_view>

namespace mirulo::capture {

enum class CaptureRange { Fixed, Picked, FullScreen };
enum class CaptureTrigger { HotKey, Timer, Button };

struct CaptureKind {
    CaptureRange range;
    CaptureTrigger trigger;
    friend bool operator==(const CaptureKind&, const CaptureKind&) = default;
};

// The seven kinds there are: the timer only ever captures the fixed range.
inline constexpr CaptureKind kFixedByHotKey{CaptureRange::Fixed, CaptureTrigger::HotKey};
inline constexpr CaptureKind kPickedByHotKey{CaptureRange::Picked, CaptureTrigger::HotKey};
inline constexpr CaptureKind kFullScreenByHotKey{CaptureRange::FullScreen, CaptureTrigger::HotKey};
inline constexpr CaptureKind kFixedByTimer{CaptureRange::Fixed, CaptureTrigger::Timer};
inline constexpr CaptureKind kFixedByButton{CaptureRange::Fixed, CaptureTrigger::Button};
inline constexpr CaptureKind kPickedByButton{CaptureRange::Picked, CaptureTrigger::Button};
inline constexpr CaptureKind kFullScreenByButton{CaptureRange::FullScreen, CaptureTrigger::Button};

// The capture-type code: 固, 指 or 全 for the range, then K, T or B for the trigger.
std::u16string_view CaptureCode(CaptureKind kind) noexcept;

// The capture started by hot key 1, 2 or 3.
CaptureKind HotKeyCaptureKind(int number) noexcept;

// The three "保存と同時に画像をクリップボードへコピー" boxes, one per range section.
struct ClipboardBoxes {
    bool fixedRange = false;
    bool pickedRange = false;
    bool fullScreen = false;
};

// Whether a capture of `range` also goes to the clipboard. The fixed-range box
// also copies full-screen captures; the full-screen box copies those alone.
bool CopiesToClipboard(CaptureRange range, const ClipboardBoxes& boxes) noexcept;

// The fixed range in desktop-snapshot pixels; all four 0 means none is set.
struct FixedRange {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool IsSet() const noexcept { return left != 0 || top != 0 || width != 0 || height != 0; }
};

} // namespace mirulo::capture
