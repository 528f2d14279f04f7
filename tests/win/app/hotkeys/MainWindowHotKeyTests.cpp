// The hot keys as the main window sets them up from its settings and its lists.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "support/MainWindowTest.h"

using namespace mirulo;

namespace {

constexpr wchar_t kDuplicate[] =
    L"キーの組み合わせが同じです。\n\r\n\r特に理由が無ければ異なるキーにすることをオススメします。";

// Whether the combination is taken: another window's attempt to register it fails.
bool Taken(UINT modifiers, UINT key) {
    HWND probe =
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const bool registered = ::RegisterHotKey(probe, 0x2000, modifiers, key) != FALSE;
    if (registered) {
        ::UnregisterHotKey(probe, 0x2000);
    }
    ::DestroyWindow(probe);
    return !registered;
}

class MainWindowHotKeys : public testkit::MainWindowTest {
protected:
    std::string Stored() const { return StoredSettings(); }
};

TEST_F(MainWindowHotKeys, SettingsDecideWhatIsRegisteredAndDuplicatesAreReportedOncePerRegisteredKey) {
    struct Case {
        const char* settings;
        std::vector<std::pair<UINT, UINT>> taken;
        std::size_t warnings;
    };
    const Case cases[] = {
        {"", {}, 0},
        {"Key1Number=6\r\n", {{0, VK_F5}}, 0},
        {"Key1Number=2\r\nKey1AddNumber=1\r\nKey3Number=28\r\nKey3AddNumber=3\r\n",
         {{MOD_SHIFT, VK_F1}, {MOD_ALT, VK_SNAPSHOT}},
         0},
        {"Key1Number=2\r\nKey1AddNumber=1\r\nKey2Number=2\r\nKey2AddNumber=1\r\n", {{MOD_SHIFT, VK_F1}}, 2},
        {"Key1Number=2\r\nKey1AddNumber=1\r\nKey2Number=2\r\nKey2AddNumber=1\r\nKey3Number=16\r\n",
         {{MOD_SHIFT, VK_F1}, {0, VK_TAB}},
         3},
        {"Key1Number=2\r\nKey1AddNumber=1\r\nKey2Number=2\r\nKey2AddNumber=2\r\n",
         {{MOD_SHIFT, VK_F1}, {MOD_CONTROL, VK_F1}},
         0},
        {"Key2Number=40\r\n", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        host.calls.clear();
        Start(c.settings);
        for (const auto& [modifiers, key] : c.taken) {
            EXPECT_TRUE(Taken(modifiers, key)) << modifiers << "+" << key;
        }
        EXPECT_EQ(host.Messages(), std::vector<std::wstring>(c.warnings, kDuplicate));
        window.reset();
        for (const auto& [modifiers, key] : c.taken) {
            EXPECT_FALSE(Taken(modifiers, key)) << "released when the window goes";
        }
    }
}

TEST_F(MainWindowHotKeys, ListChangesReregisterTheirOwnKeyAndWriteWhereTheyShould) {
    Start("Key2Number=3\r\nKey3Number=6\r\n"); // F2 and F5
    ASSERT_TRUE(Taken(0, VK_F2));
    const std::int32_t idTwo = driver().HotKeyId(2);

    driver().Choose(driver().FullScreenKeyList(), 7); // F6
    EXPECT_FALSE(Taken(0, VK_F5));
    EXPECT_TRUE(Taken(0, VK_F6));
    EXPECT_TRUE(Taken(0, VK_F2)) << "hot key 2 keeps working";
    EXPECT_EQ(driver().HotKeyId(2), idTwo);
    EXPECT_NE(Stored().find("Key3Number=6\r\n"), std::string::npos)
        << "the key list of hot key 3 is written later";

    driver().Choose(driver().FullScreenModifierList(), 1);
    EXPECT_TRUE(Taken(MOD_SHIFT, VK_F6));
    EXPECT_NE(Stored().find("Key3Number=7\r\n"), std::string::npos);
    EXPECT_NE(Stored().find("Key3AddNumber=1\r\n"), std::string::npos);

    driver().Choose(driver().PickedRangeKeyList(), 0); // "キーで撮影しない"
    EXPECT_FALSE(Taken(0, VK_F2));
    EXPECT_EQ(driver().HotKeyId(2), 0);
    EXPECT_NE(Stored().find("Key2Number=0\r\n"), std::string::npos);
}

TEST_F(MainWindowHotKeys, AHotKeyMessageStartsItsCaptureWithItsCode) {
    Start("Key1Number=2\r\nKey3Number=3\r\n");
    struct Case {
        std::int32_t id;
        const wchar_t* code;
    };
    for (const Case& c : {Case{driver().HotKeyId(1), L"固K"}, Case{driver().HotKeyId(3), L"全K"}}) {
        driver().CaptureCode().clear();
        ::SendMessageW(window->hwnd(), WM_HOTKEY, static_cast<WPARAM>(c.id), 0);
        EXPECT_EQ(driver().CaptureCode(), c.code);
    }
    driver().CaptureCode() = L"x";
    ::SendMessageW(window->hwnd(), WM_HOTKEY, 0x1234, 0);
    EXPECT_EQ(driver().CaptureCode(), L"x") << "an unknown id does nothing";
}

} // namespace
