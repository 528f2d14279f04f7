// Picking ranges on the real program with the display's own mouse and keyboard
// (xdotool): picked captures from the buttons and from hot key 2, the delayed
// button, Escape, and setting the fixed range.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "image/PngReader.h"
#include "support/Desktop.h"
#include "support/MiruloProcess.h"
#include "support/ModalScript.h"
#include "support/PatternWindow.h"
#include "support/ScreenGrab.h"
#include "support/TempFolder.h"

using namespace mirulo;
using namespace mirulo::testkit;
using capture::fixture::PatternColour;
using capture::fixture::PatternWindow;

namespace {

constexpr wchar_t kMainClass[] = L"Tfm_Mirulo";
constexpr wchar_t kPickerClass[] = L"TForm2";

// Runs xdotool with `arguments` on the display.
void XDo(const std::wstring& arguments) {
    std::wstring why;
    ASSERT_TRUE(XDoTool(arguments, &why)) << why;
}

std::wstring Num(int value) {
    return std::to_wstring(value);
}

// The pointer rests a moment before the click, as a user's does: the picker takes its second
// corner from the last reported move, and a busy Wine may report the release first.
void ClickAt(POINT at) {
    XDo(L"mousemove " + Num(at.x) + L" " + Num(at.y));
    PumpFor(200);
    XDo(L"click 1");
}

// Two corners as a user clicks them: release on the first, move across, release on the second.
void PickCorners(POINT first, POINT second) {
    ClickAt(first);
    XDo(L"mousemove " + Num((first.x + second.x) / 2) + L" " + Num((first.y + second.y) / 2));
    ClickAt(second);
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(hwnd, text, 256);
    return text;
}

// The controls with this caption, top to bottom.
std::vector<HWND> ControlsCaptioned(HWND main, const std::wstring& caption) {
    std::vector<HWND> found;
    for (HWND child : Descendants(main)) {
        if (TextOf(child) == caption) {
            found.push_back(child);
        }
    }
    std::sort(found.begin(), found.end(), [](HWND a, HWND b) {
        RECT ra{}, rb{};
        ::GetWindowRect(a, &ra);
        ::GetWindowRect(b, &rb);
        return ra.top < rb.top;
    });
    return found;
}

POINT CentreOf(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The picker of that process once it shows, handling this thread's windows meanwhile.
HWND WaitForPicker(DWORD processId, DWORD ms = 15000) {
    const ULONGLONG until = ::GetTickCount64() + ms;
    while (::GetTickCount64() < until) {
        HWND picker = nullptr;
        while ((picker = ::FindWindowExW(nullptr, picker, kPickerClass, nullptr)) != nullptr) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(picker, &owner);
            if (owner == processId && ::IsWindowVisible(picker) && ::GetForegroundWindow() == picker) {
                PumpFor(300); // let it take its first paint
                return picker;
            }
        }
        PumpFor(50);
    }
    return nullptr;
}

std::vector<std::wstring> NamesEndingIn(const std::wstring& folder, const std::wstring& suffix) {
    std::vector<std::wstring> names;
    for (const std::wstring& name : FolderNames(folder)) {
        if (name.ends_with(suffix)) {
            names.push_back(name);
        }
    }
    return names;
}

std::vector<std::wstring> WaitForNames(const std::wstring& folder, const std::wstring& suffix,
                                       std::size_t count, DWORD ms = 15000) {
    const ULONGLONG until = ::GetTickCount64() + ms;
    std::vector<std::wstring> names;
    while ((names = NamesEndingIn(folder, suffix)).size() < count && ::GetTickCount64() < until) {
        PumpFor(100);
    }
    PumpFor(300); // the file is renamed into place once written
    return NamesEndingIn(folder, suffix);
}

// The screen's pixels in a rectangle, 0xRRGGBB, row by row.
std::vector<std::uint32_t> ScreenPixels(const RECT& r) {
    const platform::DibSurface grabbed = GrabScreen(r);
    const auto* in = reinterpret_cast<const std::uint32_t*>(grabbed.bits());
    std::vector<std::uint32_t> pixels(in, in + static_cast<std::size_t>(grabbed.width()) *
                                                   static_cast<std::size_t>(grabbed.height()));
    for (auto& p : pixels) {
        p &= 0xFFFFFF;
    }
    return pixels;
}

image::Image DecodeFile(const std::wstring& path) {
    const std::string bytes = ReadFileBytes(path);
    return image::DecodePng(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::uint32_t PixelOf(const image::Image& picture, std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* p = picture.row(y) + static_cast<std::size_t>(x) * picture.channels;
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

std::string IniValue(const std::string& text, const std::string& key) {
    const std::size_t at = text.find("\r\n" + key + "=");
    if (at == std::string::npos) {
        return "(none)";
    }
    const std::size_t start = at + 3 + key.size();
    return text.substr(start, text.find("\r\n", start) - start);
}

class RangePickerE2E : public ::testing::Test {
protected:
    void Launch(const std::string& settings) {
        exe = InstallProgramCopy(folder.path());
        ::CreateDirectoryW(saves.c_str(), nullptr);
        std::string folderUtf8;
        for (wchar_t c : saves) {
            folderUtf8.push_back(static_cast<char>(c)); // the test folder's path is ASCII
        }
        WriteFileBytes(settingsFile, "\xEF\xBB\xBF[System]\r\nFolder=" + folderUtf8 + "\r\n" + settings);
        mirulo = std::make_unique<MiruloProcess>(exe);
        main = WaitForWindow(kMainClass, mirulo->id(), 30000);
        ASSERT_NE(main, nullptr);
        PumpFor(500);
    }

    void TearDown() override {
        if (mirulo) {
            ::PostMessageW(main, WM_CLOSE, 0, 0);
            EXPECT_EQ(mirulo->WaitForExit(10000), std::optional<DWORD>(0u));
        }
    }

    // The page control shows the main page when its "今すぐ" buttons are visible.
    bool MainPageShown() {
        const auto buttons = ControlsCaptioned(main, L"今すぐ");
        return !buttons.empty() && ::IsWindowVisible(buttons[0]);
    }

    void OpenTab(int tab) {
        RECT r{};
        ::GetWindowRect(::FindWindowExW(main, nullptr, L"MiruloTabPager", nullptr), &r);
        const UINT dpi = ::GetDpiForWindow(main);
        ClickAt({r.left + ::MulDiv(30 + tab * 70, static_cast<int>(dpi), 96),
                 r.top + ::MulDiv(12, static_cast<int>(dpi), 96)});
        PumpFor(400);
    }

    TempFolder folder{L"mirulo-picker-e2e"};
    std::wstring saves = folder / L"shots";
    std::wstring settingsFile = folder / L"Mirulo.exe_ユーザー設定.ini";
    std::wstring exe;
    std::unique_ptr<MiruloProcess> mirulo;
    HWND main = nullptr;
};

TEST_F(RangePickerE2E, PickedCapturesFromTheButtonsAndFromHotKey2SaveExactlyThePickedScreen) {
    Launch("Key2Number=4\r\nKey2AddNumber=1\r\n"); // hot key 2: Shift+F3
    PatternWindow pattern(100, 100, 64, 48);
    PumpFor(300);

    // "今すぐ": the second corner above and to the left of the first.
    const RECT area{90, 90, 180, 160};
    const std::vector<std::uint32_t> screen = ScreenPixels(area);
    ClickAt(CentreOf(ControlsCaptioned(main, L"今すぐ").at(1)));
    ASSERT_NE(WaitForPicker(mirulo->id()), nullptr);
    PickCorners({area.right, area.bottom}, {area.left, area.top});
    const auto now = WaitForNames(saves, L"_指B.png", 1);
    ASSERT_EQ(now.size(), 1u);
    const image::Image saved = DecodeFile(saves + L"\\" + now[0]);
    ASSERT_EQ(saved.width, 90u);
    ASSERT_EQ(saved.height, 70u);
    for (std::uint32_t y = 0; y < saved.height; ++y) {
        for (std::uint32_t x = 0; x < saved.width; ++x) {
            ASSERT_EQ(PixelOf(saved, x, y), screen[y * 90 + x]) << "at " << x << "," << y;
        }
    }
    const ULONGLONG back = ::GetTickCount64() + 5000;
    while ((::IsIconic(main) || !::IsWindowVisible(main)) && ::GetTickCount64() < back) {
        PumpFor(100);
    }
    EXPECT_FALSE(::IsIconic(main)) << "the button brings the window back";

    // "3秒後": what shows up in the rectangle 1 s after the second click is saved.
    ClickAt(CentreOf(ControlsCaptioned(main, L"3秒後").at(0)));
    ASSERT_NE(WaitForPicker(mirulo->id()), nullptr);
    PickCorners({1200, 700}, {1300, 780});
    PumpFor(1000);
    PatternWindow late(1200, 700, 100, 80);
    const RECT lateAt = late.rect();
    const auto delayed = WaitForNames(saves, L"_指B.png", 2);
    ASSERT_EQ(delayed.size(), 2u);
    const image::Image fresh = DecodeFile(saves + L"\\" + delayed[1]);
    ASSERT_EQ(fresh.width, 100u);
    ASSERT_EQ(fresh.height, 80u);
    for (std::uint32_t y = 0; y < 80; ++y) {
        for (std::uint32_t x = 0; x < 100; ++x) {
            const int px = 1200 + static_cast<int>(x) - lateAt.left,
                      py = 700 + static_cast<int>(y) - lateAt.top;
            ASSERT_EQ(PixelOf(fresh, x, y), PatternColour(px, py)) << "at " << x << "," << y;
        }
    }

    // Hot key 2 while minimised: the capture is made and the window stays minimised.
    ::ShowWindow(main, SW_MINIMIZE);
    PumpFor(500);
    ASSERT_TRUE(::IsIconic(main));
    XDo(L"key shift+F3");
    ASSERT_NE(WaitForPicker(mirulo->id()), nullptr);
    PickCorners({400, 300}, {460, 340});
    EXPECT_EQ(WaitForNames(saves, L"_指K.png", 1).size(), 1u);
    PumpFor(1000);
    EXPECT_TRUE(::IsIconic(main));
    EXPECT_EQ(::FindWindowW(kPickerClass, nullptr), nullptr);
}

TEST_F(RangePickerE2E, TheFixedRangeIsSetWithThePickerAndEscapeChangesNothingButRunsTheAfterSteps) {
    Launch("Key2Number=4\r\nKey2AddNumber=1\r\nX=7\r\nY=8\r\nW=9\r\nH=10\r\n");
    OpenTab(2);
    const auto setRect = ControlsCaptioned(main, L"スクショ範囲指定");
    ASSERT_EQ(setRect.size(), 1u);
    ASSERT_EQ(ControlsCaptioned(main, L"[X]7 [Y]8 [幅]9 [高]10").size(), 1u);

    ClickAt(CentreOf(setRect[0]));
    ASSERT_NE(WaitForPicker(mirulo->id()), nullptr);
    PickCorners({300, 250}, {200, 150});
    PumpFor(1500);
    const std::string written = ReadFileBytes(settingsFile);
    EXPECT_EQ(IniValue(written, "X") + "," + IniValue(written, "Y") + "," + IniValue(written, "W") + "," +
                  IniValue(written, "H"),
              "200,150,100,100");
    EXPECT_EQ(ControlsCaptioned(main, L"[X]200 [Y]150 [幅]100 [高]100").size(), 1u);

    // Cancelled: the settings are written again, with the range as it was.
    ASSERT_TRUE(::DeleteFileW(settingsFile.c_str()));
    ClickAt(CentreOf(setRect[0]));
    ASSERT_NE(WaitForPicker(mirulo->id()), nullptr);
    XDo(L"key Escape");
    PumpFor(1500);
    ASSERT_TRUE(FileExists(settingsFile));
    EXPECT_EQ(IniValue(ReadFileBytes(settingsFile), "W"), "100");
    EXPECT_FALSE(MainPageShown());

    // Escape on a picked capture: no file, yet the list is refreshed and the main page shown.
    WriteFileBytes(saves + L"\\20240101_000000_000_全K.png", "listed after the refresh");
    XDo(L"key shift+F3");
    ASSERT_NE(WaitForPicker(mirulo->id()), nullptr);
    XDo(L"key Escape");
    PumpFor(1500);
    EXPECT_EQ(FolderNames(saves).size(), 1u);
    EXPECT_TRUE(MainPageShown());
    HWND list = nullptr;
    for (HWND child : Descendants(main)) {
        wchar_t name[32] = {};
        ::GetClassNameW(child, name, 32);
        if (std::wstring(name) == L"ListBox" && ::IsWindowVisible(child)) {
            list = child;
        }
    }
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(::FindWindowW(kPickerClass, nullptr), nullptr);
}

} // namespace
