#include "platform/Paths.h"

#include <gtest/gtest.h>

namespace mirulo::platform {
namespace {

TEST(FileNamePart, IsWhatFollowsTheLastBackslashSlashOrColon) {
    EXPECT_EQ(FileNamePart(L"C:\\saves\\a-モノ.png"), L"a-モノ.png");
    EXPECT_EQ(FileNamePart(L"C:/saves/b.jpg"), L"b.jpg");
    EXPECT_EQ(FileNamePart(L"C:c.png"), L"c.png");
    EXPECT_EQ(FileNamePart(L"d.png"), L"d.png");
}

} // namespace
} // namespace mirulo::platform
