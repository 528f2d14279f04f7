// The reason the tool exists: keys pressed while another program has the focus
// still capture. Keys are typed on the display's keyboard with xdotool.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Desktop.h"
#include "support/GameWindow.h"
#include "support/MiruloProcess.h"
#include "support/TempFolder.h"

using namespace mirulo::testkit;

namespace {

constexpr wchar_t kClass[] = L"Tfm_Mirulo";

std::size_t WaitForFiles(const std::wstring& folder, const std::wstring& suffix, std::size_t atLeast,
                         DWORD ms) {
    std::size_t count = 0;
    WaitUntil([&] { return (count = FilesEndingIn(folder, suffix).size()) >= atLeast; }, ms);
    return count;
}

class HotKeysE2E : public ::testing::Test {
protected:
    void Install(const std::string& settings) {
        exe = InstallProgramCopy(folder.path());
        ::CreateDirectoryW(saves.c_str(), nullptr);
        std::string folderUtf8;
        for (wchar_t c : saves) {
            folderUtf8.push_back(static_cast<char>(c)); // the test folder's path is ASCII
        }
        WriteFileBytes(folder / L"Mirulo.exe_ユーザー設定.ini",
                       "\xEF\xBB\xBF[System]\r\nFolder=" + folderUtf8 + "\r\n" + settings);
    }

    TempFolder folder{L"mirulo-hotkeys"};
    std::wstring saves = folder / L"shots";
    std::wstring exe;
};

TEST_F(HotKeysE2E, PressingTheKeysCapturesTheFullScreenAndTheFixedRange) {
    // Hot key 3: "なし" + "F5"; hot key 1: "Shift" + "F1" with a fixed range.
    Install("Key3Number=6\r\nKey3AddNumber=0\r\nKey1Number=2\r\nKey1AddNumber=1\r\nX=0\r\nY=0\r\nW=64\r\nH="
            "48\r\n");
    MiruloProcess mirulo(exe);
    HWND window = WaitForWindow(kClass, mirulo.id(), 30000);
    ASSERT_NE(window, nullptr);

    // The keys are pressed while the game has the keyboard, as a player presses
    // them; a key typed while no window of the display has the focus reaches nobody.
    GameWindow game;
    ASSERT_TRUE(game.TakeTheKeyboard()) << "the game window did not get the keyboard";
    ASSERT_TRUE(XDoTool(L"key F5"));
    EXPECT_EQ(WaitForFiles(saves, L"_全K.png", 1, 10000), 1u);
    ASSERT_TRUE(XDoTool(L"key shift+F1"));
    EXPECT_EQ(WaitForFiles(saves, L"_固K.png", 1, 10000), 1u);
    EXPECT_EQ(FindMessageBox(mirulo.id()), nullptr);

    // Held down, the key repeats, and every repeat is a capture of its own.
    const std::size_t before = FilesEndingIn(saves, L"_全K.png").size();
    ASSERT_TRUE(XDoTool(L"keydown F5 sleep 1.5 keyup F5"));
    EXPECT_GE(WaitForFiles(saves, L"_全K.png", before + 2, 10000), before + 2);

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(mirulo.WaitForExit(10000), std::optional<DWORD>(0u));
}

TEST_F(HotKeysE2E, ACombinationAnotherProgramHoldsRegistersNothingAndShowsNothing) {
    HWND holder =
        ::CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(::RegisterHotKey(holder, 0x1234, MOD_CONTROL, VK_F6));
    Install("Key3Number=7\r\nKey3AddNumber=2\r\n"); // "Ctl" + "F6"
    MiruloProcess mirulo(exe);
    HWND window = WaitForWindow(kClass, mirulo.id(), 30000);
    ASSERT_NE(window, nullptr);
    ::Sleep(500);
    EXPECT_EQ(FindMessageBox(mirulo.id()), nullptr);

    GameWindow game;
    ASSERT_TRUE(game.TakeTheKeyboard()) << "the game window did not get the keyboard";
    ASSERT_TRUE(XDoTool(L"key ctrl+F6"));
    MSG msg{};
    bool held = false;
    const ULONGLONG until = ::GetTickCount64() + 10000;
    while (!held && ::GetTickCount64() < until) {
        if (::PeekMessageW(&msg, holder, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
            held = msg.wParam == 0x1234;
        }
        ::Sleep(20);
    }
    EXPECT_TRUE(held) << "the combination stays with the program that held it first";
    EXPECT_EQ(FilesEndingIn(saves, L".png").size(), 0u);

    ::UnregisterHotKey(holder, 0x1234);
    ::DestroyWindow(holder);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(mirulo.WaitForExit(10000), std::optional<DWORD>(0u));
}

} // namespace
