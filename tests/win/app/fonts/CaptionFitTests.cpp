// Every caption of the main window fits the width its control was given. The
// controls keep fixed widths (a check box does not grow with its caption), so a
// Japanese font wider than the one the window was drawn for cuts captions off;
// under Wine that depends on which installed font stands in for the window's
// faces (tools/wine-fonts). Each control's caption is measured with the control's
// own font against the room its kind leaves for text. The lines printed are the
// table that tools/measure-fonts collects for every candidate font; the run
// fails where a caption is cut.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "platform/RecordingHost.h"
#include "support/TempFolder.h"

using namespace mirulo;

namespace {

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

std::string Utf8(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

struct Measure {
    std::wstring name, caption;
    int advance = 0, ink = 0, room = 0;
};

// Where a check box or radio button starts its caption, as the system draws it:
// the control is drawn with the caption "I" and the first column of ink right of
// its box found, less the glyph's own left bearing.
int CaptionStart(HWND hwnd, UINT dpi) {
    RECT r{};
    ::GetClientRect(hwnd, &r);
    const int width = r.right, height = r.bottom;
    const std::wstring saved = [hwnd] {
        wchar_t text[512] = {};
        ::GetWindowTextW(hwnd, text, 512);
        return std::wstring(text);
    }();
    HDC screen = ::GetDC(hwnd);
    HDC dc = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
    ::SetWindowTextW(hwnd, L"I");
    ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    ::GdiFlush();
    ::SetWindowTextW(hwnd, saved.c_str());

    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    // The page behind may be a gradient: each row is compared with its own far end.
    int first = -1;
    for (int x = ::MulDiv(13, static_cast<int>(dpi), 96) + 1; x < width && first < 0; ++x) {
        for (int y = 0; y < height; ++y) {
            if ((pixels[y * width + x] & 0xFFFFFF) != (pixels[y * width + width - 1] & 0xFFFFFF)) {
                first = x;
                break;
            }
        }
    }
    ABC letter{};
    HGDIOBJ oldFont = ::SelectObject(screen, reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    ::GetCharABCWidthsW(screen, L'I', L'I', &letter);
    ::SelectObject(screen, oldFont);
    ::SelectObject(dc, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(hwnd, screen);
    return first < 0 ? width : first - std::max(0, letter.abcA);
}

// The room a control leaves for its caption, in pixels at the control's DPI:
// a check box or radio button keeps its box and the gap after it (as drawn), a
// push button its edges, a group box the indent of its caption on both sides.
int RoomFor(HWND hwnd, UINT dpi) {
    RECT r{};
    ::GetClientRect(hwnd, &r);
    const auto scaled = [dpi](int pixels) { return ::MulDiv(pixels, static_cast<int>(dpi), 96); };
    if (_wcsicmp(ClassOf(hwnd).c_str(), L"Button") != 0) {
        return r.right;
    }
    switch (::GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
        return r.right - CaptionStart(hwnd, dpi);
    case BS_GROUPBOX:
        return r.right - 2 * scaled(8);
    default:
        return r.right - 2 * scaled(3);
    }
}

// The width from the text's start to its last inked column, drawn as the control draws it.
int InkWidth(HDC reference, const std::wstring& text, SIZE size) {
    const int width = size.cx + 8;
    const int height = size.cy + 4;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(reference);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
    HGDIOBJ oldFont = ::SelectObject(dc, ::GetCurrentObject(reference, OBJ_FONT));
    RECT all{0, 0, width, height};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::TextOutW(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
    ::GdiFlush();
    int inked = 0;
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y) {
        for (int x = inked; x < width; ++x) {
            if ((pixels[y * width + x] & 0xFFFFFF) != 0xFFFFFF) {
                inked = x + 1;
            }
        }
    }
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return inked;
}

TEST(CaptionFit, EveryCaptionFitsItsControlInTheMappedJapaneseFont) {
    testkit::TempFolder folder{L"mirulo-caption-fit"};
    platform::RecordingHost host;
    host.executablePath = folder / L"Mirulo.exe";
    auto window = std::make_unique<app::MainWindow>(host);

    std::vector<Measure> cut;
    int measured = 0;
    for (ui::Control* control : window->AllControls()) {
        HWND hwnd = control->hwnd();
        const std::wstring caption = control->Caption();
        const std::wstring windowClass = ClassOf(hwnd);
        const bool hasText =
            _wcsicmp(windowClass.c_str(), L"Button") == 0 || _wcsicmp(windowClass.c_str(), L"Static") == 0;
        // An owner-drawn button's text is the name a screen reader announces, never drawn.
        const bool drawnByOwner = (::GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
        if (!hasText || caption.empty() || drawnByOwner) {
            continue;
        }
        auto font = reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0));
        HDC dc = ::GetDC(hwnd);
        HGDIOBJ old = ::SelectObject(dc, font);
        SIZE size{};
        ASSERT_TRUE(::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size));
        // The pen ends after the last glyph's advance, which may be blank: what is
        // cut off is ink, so the caption is drawn and its rightmost inked column found.
        const int ink = InkWidth(dc, caption, size);
        ::SelectObject(dc, old);
        ::ReleaseDC(hwnd, dc);
        ++measured;

        const int room = RoomFor(hwnd, window->dpi());
        const std::string line = Utf8(std::wstring(control->name()) + L"\t" + caption) + "\t" +
                                 std::to_string(size.cx) + "\t" + std::to_string(ink) + "\t" +
                                 std::to_string(room);
        std::printf("caption-fit: %s %s\n",
                    ink > room       ? "CUT "
                    : size.cx > room ? "TIGHT"
                                     : "fits",
                    line.c_str());
        if (ink > room) {
            cut.push_back({std::wstring(control->name()), caption, size.cx, ink, room});
        }
    }
    std::fflush(stdout);
    EXPECT_GT(measured, 40) << "the walk found too few captions: the control table was not read";
    for (const Measure& m : cut) {
        ADD_FAILURE() << Utf8(m.name) << " \"" << Utf8(m.caption) << "\" is cut off: its glyphs need "
                      << m.ink << " px, the control leaves " << m.room;
    }
}

// A glyph button shows no text, so the window text is all a screen reader can announce.
TEST(CaptionFit, EveryIconButtonCarriesTheNameAScreenReaderAnnounces) {
    testkit::TempFolder folder{L"mirulo-icon-names"};
    platform::RecordingHost host;
    host.executablePath = folder / L"Mirulo.exe";
    auto window = std::make_unique<app::MainWindow>(host);
    int iconButtons = 0;
    for (ui::Control* control : window->AllControls()) {
        const HWND hwnd = control->hwnd();
        if (_wcsicmp(ClassOf(hwnd).c_str(), L"Button") != 0 ||
            (::GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) != BS_OWNERDRAW) {
            continue;
        }
        ++iconButtons;
        wchar_t text[128] = {};
        ::GetWindowTextW(hwnd, text, 128);
        EXPECT_NE(text[0], L'\0') << Utf8(std::wstring(control->name())) << " has no name";
    }
    EXPECT_EQ(iconButtons, 13) << "the main window's icon buttons: seven under the list, two on the first "
                                  "settings page, two on the sound page, two on the tab strip";
}

} // namespace
