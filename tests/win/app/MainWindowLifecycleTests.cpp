// The main window's life in-process, with a recording Host: its construction
// runs its steps in order, it names itself, and closing it ends the loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>

#include "app/Tfm_Mirulo.h"
#include "platform/RecordingHost.h"
#include "support/TempFolder.h"

using namespace mirulo;

namespace {

class MainWindow : public ::testing::Test {
protected:
    MainWindow() { host.executablePath = folder / L"Mirulo.exe"; }
    testkit::TempFolder folder{L"mirulo-main"};
    platform::RecordingHost host;
};

TEST_F(MainWindow, ConstructionRunsItsStepsInOrder) {
    app::Tfm_Mirulo window(host);
    const std::vector<std::wstring> expected = {
        L"FormCreate: begin",          L"FormCreate: sound paths",      L"FormCreate: extended style saved",
        L"FormCreate: version and captions", L"FormCreate: size limits", L"FormCreate: fields cleared",
        L"FormCreate: hints assigned", L"FormCreate: hint display",     L"FormCreate: lists filled",
        L"FormCreate: default position", L"FormCreate: settings read",  L"FormCreate: caption",
        L"FormCreate: sound list",     L"FormCreate: timer interval",   L"FormCreate: timer controls",
        L"FormCreate: logon task",     L"FormCreate: picture list",     L"FormCreate: hot keys",
        L"FormCreate: game client",    L"FormCreate: capture delay",    L"FormCreate: hint timing",
        L"FormCreate: start minimised", L"FormCreate: first page",      L"FormCreate: end",
    };
    EXPECT_EQ(host.Traces(), expected);
    EXPECT_FALSE(window.blInFormCreate);
}

TEST_F(MainWindow, IsFoundByItsClassAndCarriesTheVersionInItsCaptions) {
    app::Tfm_Mirulo window(host);
    EXPECT_EQ(::FindWindowW(L"Tfm_Mirulo", nullptr), window.hwnd());
    wchar_t title[128] = {};
    ::GetWindowTextW(window.hwnd(), title, 128);
    EXPECT_STREQ(title, L"Mirulo\u3000ver.2.10");
    EXPECT_EQ(window.lvl_Ver.Caption(), L"ver.2.10");
    EXPECT_EQ(window.sFormCap1, L"Mirulo\u3000ver.2.10");
    EXPECT_EQ(window.sFormCap2, L"画面キャプチャツール\u3000ver.2.10");
    EXPECT_EQ(window.iAppExStyle, ::GetWindowLongPtrW(window.hwnd(), GWL_EXSTYLE));
    EXPECT_EQ(window.pager().ActivePageIndex(), 0);
}

TEST_F(MainWindow, OpensCentredInTheWorkArea) {
    app::Tfm_Mirulo window(host);
    RECT work{}, frame{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::GetWindowRect(window.hwnd(), &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    EXPECT_EQ(frame.top, static_cast<int>(std::floor((work.bottom - work.top) / 2.0 - height / 2.0)));
    EXPECT_EQ(frame.left, static_cast<int>(std::floor((work.right - work.left) / 2.0 - width / 2.0)));
    RECT client{};
    ::GetClientRect(window.hwnd(), &client);
    EXPECT_EQ(client.right, ::MulDiv(407, static_cast<int>(window.dpi()), 96));
    EXPECT_EQ(client.bottom, ::MulDiv(513, static_cast<int>(window.dpi()), 96));
}

TEST_F(MainWindow, ClosingDestroysTheWindowAndEndsTheMessageLoop) {
    app::Tfm_Mirulo window(host);
    HWND hwnd = window.hwnd();
    window.ShowFirstTime();
    ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    MSG msg{};
    bool quit = false;
    const ULONGLONG until = ::GetTickCount64() + 5000;
    while (!quit && ::GetTickCount64() < until) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                break;
            }
            ::DispatchMessageW(&msg);
        }
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(MainWindow, TheCloseButtonOnTheTabStripClosesTheWindow) {
    app::Tfm_Mirulo window(host);
    HWND hwnd = window.hwnd();
    ::SendMessageW(window.btn_Close.hwnd(), BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    MSG msg{};
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace
