// One user's journey: start the tool, start it again while it runs, close it,
// start it once more.
#include <windows.h>

#include <gtest/gtest.h>

#include "support/MiruloProcess.h"
#include "support/TempFolder.h"

using namespace mirulo::testkit;

namespace {

constexpr wchar_t kClass[] = L"Tfm_Mirulo";

TEST(SingleInstance, ASecondStartRestoresTheRunningWindowAndEndsAndClosingEndsTheProgram) {
    TempFolder folder(L"mirulo-e2e");
    const std::wstring exe = InstallProgramCopy(folder.path());

    auto first = std::make_unique<MiruloProcess>(exe);
    HWND window = WaitForWindow(kClass, first->id(), 30000);
    ASSERT_NE(window, nullptr) << "no main window appeared";
    EXPECT_EQ(WindowTitle(window), L"Mirulo\u3000ver.2.10");

    ::ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(window));

    {
        MiruloProcess second(exe);
        const auto code = second.WaitForExit(10000);
        ASSERT_TRUE(code.has_value()) << "the second start did not end";
        EXPECT_EQ(*code, 0u);
    }
    EXPECT_FALSE(::IsIconic(window)) << "the running window was not restored";
    EXPECT_EQ(::GetForegroundWindow(), window) << "the running window was not brought to the front";
    EXPECT_EQ(CountWindows(kClass), 1);

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    const auto firstCode = first->WaitForExit(10000);
    ASSERT_TRUE(firstCode.has_value()) << "closing the window did not end the program";
    EXPECT_EQ(*firstCode, 0u);
    first.reset();

    MiruloProcess again(exe);
    HWND newWindow = WaitForWindow(kClass, again.id(), 30000);
    ASSERT_NE(newWindow, nullptr) << "a new start after closing did not take the first-instance path";
    ::PostMessageW(newWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(again.WaitForExit(10000), std::optional<DWORD>(0u));
}

} // namespace
