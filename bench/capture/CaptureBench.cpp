// Run: tools/wine-run build/windows/bench/bench_capture.exe [PNG runs] [--cold] [--pause MS]
// (bench/capture/vs-scrot.sh runs it against scrot on a screen showing a picture)
// Prints, for one full-screen capture saved as PNG and as JPG, the time of each
// step and the peak memory the capture added, as a ratio to the desktop picture's
// own size (width x height x 4 bytes). A ratio near 2 means: the snapshot plus
// its RGB copy and the encoded file, nothing more. Like the program once its
// window shows, it first warms up what the first capture would pay for
// (capture::WarmUpCapture), unless --cold. --pause waits MS milliseconds before
// each capture, as a hot key comes after a pause, not straight after the last.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "capture/CaptureFiles.h"
#include "capture/CaptureWarmUp.h"
#include "capture/CapturePicture.h"
#include "capture/DesktopSnapshot.h"
#include "image/JpegWriter.h"
#include "image/PngWriter.h"

using namespace mirulo;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

SIZE_T PeakPrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakPagefileUsage;
}

void RunOnce(bool png, const std::wstring& folder) {
    const SIZE_T before = PeakPrivateBytes();
    const auto t0 = Clock::now();
    capture::DesktopSnapshot snapshot = capture::SnapshotDesktop();
    const int width = snapshot.width(), height = snapshot.height();
    const auto t1 = Clock::now();
    const capture::CapturePicture picture = capture::CutRectangle(std::move(snapshot), 0, 0, width, height);
    const auto t2 = Clock::now();
    // PNG converts while it filters; JPEG takes an RGB copy.
    const image::Image rgb = png ? image::Image{} : capture::ToRgbImage(picture);
    const auto t3 = Clock::now();
    const std::vector<std::uint8_t> bytes =
        png ? image::EncodePng(capture::PngRowsOf(picture), 7) : image::EncodeJpeg(rgb, 90);
    const auto t4 = Clock::now();
    capture::WriteFileReplacing(folder + (png ? L"\\bench.png" : L"\\bench.jpg"), bytes);
    const auto t5 = Clock::now();
    const double raw = static_cast<double>(width) * height * 4.0;
    const double added = static_cast<double>(PeakPrivateBytes() - before);
    std::printf("%s %dx%d: total %.1f ms = snapshot %.1f ms, cut %.1f ms, to RGB %.1f ms, encode %.1f ms "
                "(%.2f ms/MP), "
                "write %.1f ms; file %zu bytes; peak memory added %.1f MB = %.2f x the desktop picture\n",
                png ? "PNG" : "JPG", width, height, Ms(t0, t5), Ms(t0, t1), Ms(t1, t2), Ms(t2, t3),
                Ms(t3, t4), Ms(t3, t4) / (width * static_cast<double>(height) / 1e6), Ms(t4, t5),
                bytes.size(), added / 1048576.0, added / raw);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Ways to take the screen's pixels, each timed alone (median of `runs`): the
// program's BitBlt from the screen into a DIB section (with and without
// CAPTUREBLT, which asks for layered windows too), and BitBlt into a
// device-dependent bitmap followed by GetDIBits into plain memory.
void CompareSnapshotWays(int runs) {
    const int width = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const auto timeWay = [&](const char* name, const auto& way) {
        std::vector<double> ms;
        for (int run = 0; run < runs; ++run) {
            HDC screen = ::GetDC(nullptr);
            HDC memory = ::CreateCompatibleDC(screen);
            const auto start = Clock::now();
            way(screen, memory);
            ms.push_back(Ms(start, Clock::now()));
            ::DeleteDC(memory);
            ::ReleaseDC(nullptr, screen);
        }
        std::printf("snapshot way: %-44s %7.1f ms\n", name, Median(ms));
    };
    const auto intoDibSection = [&](DWORD rop) {
        return [&, rop](HDC screen, HDC memory) {
            void* bits = nullptr;
            HBITMAP dib = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
            HGDIOBJ old = ::SelectObject(memory, dib);
            ::BitBlt(memory, 0, 0, width, height, screen, left, top, rop);
            ::GdiFlush();
            ::SelectObject(memory, old);
            ::DeleteObject(dib);
        };
    };
    timeWay("BitBlt to a DIB section, CAPTUREBLT", intoDibSection(SRCCOPY | CAPTUREBLT));
    timeWay("BitBlt to a DIB section", intoDibSection(SRCCOPY));
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    timeWay("BitBlt to a compatible bitmap, then GetDIBits", [&](HDC screen, HDC memory) {
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
        ::SelectObject(memory, old);
        ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
        ::DeleteObject(bitmap);
    });
}

} // namespace

int main(int argc, char** argv) {
    int pngRuns = 1;
    bool cold = false;
    int pauseMs = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--cold") {
            cold = true;
        } else if (std::string(argv[i]) == "--pause" && i + 1 < argc) {
            pauseMs = std::max(0, std::atoi(argv[++i]));
        } else {
            pngRuns = std::max(1, std::atoi(argv[i]));
        }
    }
    if (!cold) {
        // The program warms up on a thread of its own once its window shows;
        // the first hot key comes later than this.
        capture::WarmUpCapture();
        ::Sleep(300);
    }
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"mirulo-bench-capture";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    // PNG first, in a fresh process state, so its peak is its own; JPG's peak
    // is only what it adds beyond PNG's.
    // With --cold, the first PNG run pays for setting up the screen's device
    // context and the encoder's threads and buffers; later runs show the
    // steady state.
    for (int run = 0; run < pngRuns; ++run) {
        if (run > 0 && pauseMs > 0) {
            ::Sleep(static_cast<DWORD>(pauseMs));
        }
        RunOnce(true, folder);
    }
    RunOnce(false, folder);
    CompareSnapshotWays(5);
    ::DeleteFileW((folder + L"\\bench.png").c_str());
    ::DeleteFileW((folder + L"\\bench.jpg").c_str());
    ::RemoveDirectoryW(folder.c_str());
    return 0;
}
