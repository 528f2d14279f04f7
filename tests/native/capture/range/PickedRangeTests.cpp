#include "capture/PickedRange.h"

#include <gtest/gtest.h>

namespace mirulo::capture {
namespace {

TEST(NormalizeCorners, GivesTheSameRangeWhicheverCornerCameFirst) {
    struct Case {
        const char* what;
        std::int32_t left, top, right, bottom;
        PickedRange expected;
    };
    const Case cases[] = {
        {"top-left first", 10, 20, 110, 70, {10, 20, 100, 50}},
        {"bottom-right first", 110, 70, 10, 20, {10, 20, 100, 50}},
        {"top-right first", 110, 20, 10, 70, {10, 20, 100, 50}},
        {"bottom-left first", 10, 70, 110, 20, {10, 20, 100, 50}},
        {"two clicks without a move", 40, 40, 40, 40, {40, 40, 0, 0}},
        {"a line", 5, 9, 5, 30, {5, 9, 0, 21}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NormalizeCorners(c.left, c.top, c.right, c.bottom), c.expected) << c.what;
    }
}

} // namespace
} // namespace mirulo::capture
