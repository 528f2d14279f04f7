#pragma once
// A rectangle picked with two corners, turned into the left, top, width and
// height that the fixed range and the picked-range capture use. Portable.
#include <cstdint>

namespace mirulo::capture {

struct PickedRange {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const PickedRange&) const = default;
};

// The corners in either order give the same range; two equal corners give
// width and height 0 (there is no minimum size).
PickedRange NormalizeCorners(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);

} // namespace mirulo::capture
