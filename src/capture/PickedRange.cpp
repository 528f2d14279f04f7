#include "capture/PickedRange.h"

#include <utility>

namespace mirulo::capture {

PickedRange NormalizeCorners(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
    return {left, top, right - left, bottom - top};
}

} // namespace mirulo::capture
