#include "support/PatternWindow.h"

#include <stdexcept>

#include "platform/DibSurface.h"
#include "support/Messages.h"

namespace mirulo::capture::fixture {
namespace {

constexpr wchar_t kClassName[] = L"MiruloCapturePattern";

struct PatternPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> bgrx;
};

LRESULT CALLBACK PatternProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        auto* pixels = new PatternPixels;
        pixels->width = create->cx;
        pixels->height = create->cy;
        pixels->bgrx.resize(static_cast<std::size_t>(create->cx) * static_cast<std::size_t>(create->cy));
        for (int y = 0; y < create->cy; ++y) {
            for (int x = 0; x < create->cx; ++x) {
                pixels->bgrx[static_cast<std::size_t>(y) * static_cast<std::size_t>(create->cx) +
                             static_cast<std::size_t>(x)] = PatternColour(x, y);
            }
        }
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pixels));
        break;
    }
    case WM_NCDESTROY:
        delete reinterpret_cast<PatternPixels*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        const HDC dc = ::BeginPaint(hwnd, &paint);
        if (const auto* pixels =
                reinterpret_cast<const PatternPixels*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
            const BITMAPINFO info = platform::DibSurface::Describe(pixels->width, pixels->height);
            ::SetDIBitsToDevice(
                dc, 0, 0, static_cast<DWORD>(pixels->width), static_cast<DWORD>(pixels->height), 0, 0, 0,
                static_cast<UINT>(pixels->height), pixels->bgrx.data(), &info, DIB_RGB_COLORS);
        }
        ::EndPaint(hwnd, &paint);
        return 0;
    }
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

void RegisterPatternClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = PatternProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        return ::RegisterClassExW(&wc) != 0;
    }();
    if (!registered) {
        throw std::runtime_error("cannot register the pattern window class");
    }
}

} // namespace

Rgb PatternColour(int x, int y) {
    const auto r = static_cast<Rgb>((x * 37 + y * 11 + 5) & 0xFF);
    const auto g = static_cast<Rgb>((y * 53 + x * 3 + 90) & 0xFF);
    const auto b = static_cast<Rgb>(((x * 17) ^ (y * 29)) & 0x7F);
    return (r << 16) | (g << 8) | b; // blue below 0x80: never white
}

PatternWindow::PatternWindow(int left, int top, int width, int height) {
    RegisterPatternClass();
    hwnd_ =
        ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, L"", WS_POPUP,
                          left, top, width, height, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr) {
        throw std::runtime_error("cannot create the pattern window");
    }
    ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd_);
    testkit::PumpMessages();
}

PatternWindow::~PatternWindow() {
    ::DestroyWindow(hwnd_);
    testkit::PumpMessages();
}

RECT PatternWindow::rect() const {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    return r;
}

} // namespace mirulo::capture::fixture
