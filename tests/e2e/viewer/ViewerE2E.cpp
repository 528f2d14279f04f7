// Opens the viewer from the main page as a user does, shows a small picture at
// its natural size and steps on to a large one that is fitted, and keeps a
// picture of each for a person to look at in build/screens/.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "image/PngWriter.h"
#include "platform/Wide.h"
#include "support/Desktop.h"
#include "support/MiruloProcess.h"
#include "support/ScreenGrab.h"
#include "support/TempFolder.h"
#include "viewer/PictureFit.h"

using namespace mirulo;
using namespace mirulo::testkit;

namespace {

// A picture with a colour per corner over a soft gradient, and a frame, so that
// where its corners land shows how it was placed.
image::Image CornerPicture(int width, int height) {
    image::Image picture;
    picture.width = static_cast<std::uint32_t>(width);
    picture.height = static_cast<std::uint32_t>(height);
    picture.pixels.resize(picture.stride() * picture.height);
    const int block = std::min(width, height) / 8;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.row(static_cast<std::uint32_t>(y));
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
            p[0] = static_cast<std::uint8_t>(60 + 120 * x / width);
            p[1] = static_cast<std::uint8_t>(90 + 100 * y / height);
            p[2] = 200;
            const bool left = x < block, top = y < block, right = x >= width - block,
                       bottom = y >= height - block;
            if (left && top) {
                p[0] = 255;
                p[1] = 0;
                p[2] = 0;
            }
            if (right && top) {
                p[0] = 0;
                p[1] = 255;
                p[2] = 0;
            }
            if (left && bottom) {
                p[0] = 0;
                p[1] = 0;
                p[2] = 255;
            }
            if (right && bottom) {
                p[0] = 255;
                p[1] = 255;
                p[2] = 0;
            }
        }
    }
    return picture;
}

void WritePicture(const std::wstring& path, const image::Image& picture) {
    const std::vector<std::uint8_t> png = image::EncodePng(picture);
    WriteFileBytes(path, std::string(png.begin(), png.end()));
}

// The client area of a window as it is on the screen, read back from the screen.
image::Image GrabClient(HWND window) {
    RECT r{};
    ::GetClientRect(window, &r);
    ::MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    return GrabScreenPicture(r);
}

COLORREF PixelOf(const image::Image& picture, int x, int y) {
    const std::uint8_t* p = picture.row(static_cast<std::uint32_t>(y)) + static_cast<std::size_t>(x) * 3;
    return RGB(p[0], p[1], p[2]);
}

void Keep(const image::Image& picture, const char* name) {
    const std::filesystem::path out = std::filesystem::path(MIRULO_BINARY_DIR).parent_path() / "screens";
    std::filesystem::create_directories(BuildTreePath(out.generic_string().c_str()));
    const std::vector<std::uint8_t> png = image::EncodePng(picture);
    std::ofstream(std::filesystem::path(BuildTreePath((out / name).generic_string().c_str())),
                  std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

TEST(ViewerE2E, OpensFromTheMainPageAtNaturalSizeAndFitsALargePicture) {
    TempFolder folder(L"mirulo-viewer-e2e");
    const std::wstring saves = folder / L"画像";
    ::CreateDirectoryW(saves.c_str(), nullptr);
    // Newest first: the small picture is on top and selected after start.
    WritePicture(saves + L"\\20240316_090000_000_全B.png", CornerPicture(320, 200));
    WritePicture(saves + L"\\20240315_090000_000_全B.png", CornerPicture(1600, 1000));
    const std::wstring exe = InstallProgramCopy(folder.path());
    WriteFileBytes(exe + L"_ユーザー設定.ini", "\xEF\xBB\xBF[System]\r\nFolder=" + platform::Narrow(saves) +
                                                   "\r\nifrmView_Top=40\r\nifrmView_Left=60\r\n");

    MiruloProcess mirulo(exe);
    HWND window = WaitForWindow(L"Tfm_Mirulo", mirulo.id(), 30000);
    ASSERT_NE(window, nullptr);
    ::Sleep(500);
    HWND viewerButton = ControlAt(window, L"Button", 204, 400);
    ASSERT_NE(viewerButton, nullptr);
    ::SendMessageW(viewerButton, BM_CLICK, 0, 0);

    HWND viewer = WaitForWindow(L"TfrmView", mirulo.id(), 10000);
    ASSERT_NE(viewer, nullptr);
    for (int i = 0; i < 50 && !::IsWindowVisible(viewer); ++i) {
        ::Sleep(100);
    }
    ASSERT_TRUE(::IsWindowVisible(viewer));
    EXPECT_EQ(WindowTitle(viewer), L"画像ビューア");
    RECT frame{};
    ::GetWindowRect(viewer, &frame);
    EXPECT_EQ(frame.left, 60);
    EXPECT_EQ(frame.top, 40);
    ::Sleep(600);

    // Natural size: the small picture's corners at (0, 35) and (319, 234) of the client area.
    const image::Image natural = GrabClient(viewer);
    Keep(natural, "viewer-natural.png");
    EXPECT_EQ(PixelOf(natural, 0, 35), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(natural, 319, 35 + 199), RGB(255, 255, 0));
    EXPECT_NE(PixelOf(natural, 320, 35 + 199), RGB(255, 255, 0)) << "not enlarged";

    // Next: the large picture, scaled down from the top-left.
    HWND next = ControlAt(viewer, L"Button", 46, 1);
    ASSERT_NE(next, nullptr);
    ::SendMessageW(next, BM_CLICK, 0, 0);
    ::Sleep(600);
    RECT client{};
    ::GetClientRect(viewer, &client);
    const viewer::PictureFit fit = viewer::FitPicture(1600, 1000, client.right, client.bottom - 54);
    ASSERT_TRUE(fit.scaled);
    const image::Image fitted = GrabClient(viewer);
    Keep(fitted, "viewer-fitted.png");
    EXPECT_EQ(PixelOf(fitted, 0, 35), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(fitted, fit.width - 1, 35), RGB(0, 255, 0));
    EXPECT_EQ(PixelOf(fitted, fit.width - 1, 35 + fit.height - 1), RGB(255, 255, 0));
    EXPECT_NE(PixelOf(fitted, fit.width - 1, 35 + fit.height), RGB(255, 255, 0)) << "nothing beyond the fit";

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(mirulo.WaitForExit(10000), std::optional<DWORD>(0u));
}

} // namespace
