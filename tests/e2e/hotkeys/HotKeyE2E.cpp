// The reason the tool exists: keys pressed while another program has the focus
// still capture. Keys are typed on the display's keyboard with xdotool.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/MiruloProcess.h"
#include "support/TempFolder.h"

using namespace mirulo::testkit;

namespace {

constexpr wchar_t kClass[] = L"Tfm_Mirulo";

void Type(const std::wstring& arguments) {
    ASSERT_STRNE(MIRULO_XDOTOOL, "") << "xdotool is missing (Debian package: xdotool)";
    std::wstring command = BuildTreePath(MIRULO_XDOTOOL) + L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process));
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

std::vector<std::wstring> FilesEndingIn(const std::wstring& folder, const std::wstring& suffix) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW((folder + L"\\*" + suffix).c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            names.push_back(data.cFileName);
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    return names;
}

std::size_t WaitForFiles(const std::wstring& folder, const std::wstring& suffix, std::size_t atLeast, DWORD ms) {
    const ULONGLONG until = ::GetTickCount64() + ms;
    std::size_t count = 0;
    while ((count = FilesEndingIn(folder, suffix).size()) < atLeast && ::GetTickCount64() < until) {
        ::Sleep(50);
    }
    return count;
}

// A dialog box (a message box) shown by the given process.
bool HasMessageBox(DWORD processId) {
    struct Search {
        DWORD processId;
        bool found;
    } search{processId, false};
    ::EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            wchar_t name[32] = {};
            ::GetClassNameW(hwnd, name, 32);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s->processId && std::wstring(name) == L"#32770" && ::IsWindowVisible(hwnd)) {
                s->found = true;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
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
    Install("Key3Number=6\r\nKey3AddNumber=0\r\nKey1Number=2\r\nKey1AddNumber=1\r\nX=0\r\nY=0\r\nW=64\r\nH=48\r\n");
    MiruloProcess mirulo(exe);
    HWND window = WaitForWindow(kClass, mirulo.id(), 30000);
    ASSERT_NE(window, nullptr);

    Type(L"key F5");
    EXPECT_EQ(WaitForFiles(saves, L"_全K.png", 1, 10000), 1u);
    Type(L"key shift+F1");
    EXPECT_EQ(WaitForFiles(saves, L"_固K.png", 1, 10000), 1u);
    EXPECT_FALSE(HasMessageBox(mirulo.id()));

    // Held down, the key repeats, and every repeat is a capture of its own.
    const std::size_t before = FilesEndingIn(saves, L"_全K.png").size();
    Type(L"keydown F5 sleep 1.5 keyup F5");
    EXPECT_GE(WaitForFiles(saves, L"_全K.png", before + 2, 10000), before + 2);

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(mirulo.WaitForExit(10000), std::optional<DWORD>(0u));
}

TEST_F(HotKeysE2E, ACombinationAnotherProgramHoldsRegistersNothingAndShowsNothing) {
    HWND holder = ::CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(::RegisterHotKey(holder, 0x1234, MOD_CONTROL, VK_F6));
    Install("Key3Number=7\r\nKey3AddNumber=2\r\n"); // "Ctl" + "F6"
    MiruloProcess mirulo(exe);
    HWND window = WaitForWindow(kClass, mirulo.id(), 30000);
    ASSERT_NE(window, nullptr);
    ::Sleep(500);
    EXPECT_FALSE(HasMessageBox(mirulo.id()));

    Type(L"key ctrl+F6");
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
