#include "library/RenameName.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Utf.h"

namespace mirulo::library {
namespace {

struct NameCase {
    std::u16string name;
    bool accepted;
};

TEST(IsPlainFileName, AcceptsNamesInsideTheFolderAndRefusesEveryWayOut) {
    const NameCase cases[] = {
        {u"20240315_142530_045_固K.png", true},
        {u"夕焼け の 港.jpg", true},
        {u" leading blank.png", true},
        {u"x.png.bak", true},
        {u"console.png", true}, // only the whole stem is a device
        {u"COM10.png", true},
        {u"LPT.png", true},
        {u"", false},
        {u"..\\x.png", false},
        {u"../x.png", false},
        {u"sub/x.png", false},
        {u"sub\\x.png", false},
        {u"a..b.png", false},
        {u"C:x.png", false},
        {u"x.png:stream", false},
        {u"x.png.", false},
        {u"x.png ", false},
        {u".", false},
        {u"..", false},
        {u"CON.png", false},
        {u"con", false},
        {u"Nul .jpg", false},
        {u"aux.tar.gz", false},
        {u"PRN.png", false},
        {u"COM1.png", false},
        {u"lpt9.jpg", false},
        {u"COM0.png", false},
        {u"COM\u00B9.png", false},
        {u"CONIN$.png", false},
        {u"conout$", false},
        {u"a?.png", false},
        {u"a*.png", false},
        {u"a<b>.png", false},
        {u"a|b.png", false},
        {u"\"a\".png", false},
        {u"tab\there.png", false},
        {std::u16string(u"nul\0.png", 8), false},
        // The form of the program's own temporary files, which the next start
        // would finish or remove as its own.
        {u".~mirulo-20240106_100005_000_全B.png.tmp", false},
        {u".~Mirulo-x.png", false},
        {u".~mirulo-copy.tmp", false},
        {u"~mirulo-x.png", true},
        {u".mirulo-x.png", true},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(IsPlainFileName(c.name), c.accepted) << platform::Utf16ToUtf8(c.name);
    }
}

} // namespace
} // namespace mirulo::library
