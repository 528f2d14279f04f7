// Opens each of the four pages the way a user does, by clicking its tab, and
// keeps a picture of the window for a person to look at in build/screens/.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "image/PngWriter.h"
#include "support/MiruloProcess.h"
#include "support/ScreenGrab.h"
#include "support/TempFolder.h"

using namespace mirulo;
using namespace mirulo::testkit;

namespace {

// The window as it is on the screen, read back from the screen itself.
image::Image GrabWindow(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return GrabScreenPicture(r);
}

HWND VisiblePage(HWND pager) {
    for (HWND child = ::GetWindow(pager, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        ::GetClassNameW(child, name, 64);
        if (std::wstring(name) == L"MiruloTabPage" && ::IsWindowVisible(child)) {
            return child;
        }
    }
    return nullptr;
}

TEST(PageScreenshots, EachTabShowsItsPageAndIsKeptAsAPicture) {
    TempFolder folder(L"mirulo-screens");
    MiruloProcess mirulo(InstallProgramCopy(folder.path()));
    HWND window = WaitForWindow(L"Tfm_Mirulo", mirulo.id(), 30000);
    ASSERT_NE(window, nullptr);
    HWND pager = ::FindWindowExW(window, nullptr, L"MiruloTabPager", nullptr);
    ASSERT_NE(pager, nullptr);

    const std::filesystem::path out = std::filesystem::path(MIRULO_BINARY_DIR).parent_path() / "screens";
    std::filesystem::create_directories(BuildTreePath(out.generic_string().c_str()));
    std::vector<HWND> pages;
    const UINT dpi = ::GetDpiForWindow(window);
    for (int tab = 0; tab < 4; ++tab) {
        // The tabs sit side by side at the strip's left, each about 70 px wide at 96 DPI.
        const int x = ::MulDiv(30 + tab * 70, static_cast<int>(dpi), 96),
                  y = ::MulDiv(12, static_cast<int>(dpi), 96);
        ::SendMessageW(pager, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::SendMessageW(pager, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        ::Sleep(400);
        HWND page = VisiblePage(pager);
        ASSERT_NE(page, nullptr);
        pages.push_back(page);
        const std::vector<std::uint8_t> png = image::EncodePng(GrabWindow(window));
        const std::wstring file =
            BuildTreePath((out / ("page" + std::to_string(tab) + ".png")).generic_string().c_str());
        std::ofstream(std::filesystem::path(file), std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    }
    for (std::size_t i = 1; i < pages.size(); ++i) {
        EXPECT_NE(pages[i], pages[i - 1]) << "tab " << i << " shows its own page";
    }
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(mirulo.WaitForExit(10000), std::optional<DWORD>(0u));
}

} // namespace
