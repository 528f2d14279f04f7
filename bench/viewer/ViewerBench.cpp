// Run: tools/wine-run build/windows/bench/bench_viewer.exe [corpus folder]
// An 8K picture (7680 x 4320: the 4K texture of the corpus tiled 2 x 2) saved as
// PNG and as JPG, then, each step in a fresh process so that its peak memory is
// its own:
//   load   the viewer's LoadPicture (read, decode, fit, scale)
//          against the reference "read + decode" of the same file;
//   grey   MakeGrayCopy against the reference "read + decode + encode as a
//          capture (RGB PNG level 7, or JPEG quality 90) + replacing write";
//   sepia  MakeSepiaCopy against the same reference.
// Times are medians of 3 runs; ratios are ours over the reference (below 1 is
// faster). Memory is the peak the step added, as a multiple of the picture's
// RGB size (width x height x 3 bytes).
#include <windows.h>
#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <cstdio>
#include <string>
#include <vector>

#include "capture/CaptureFiles.h"
#include "image/JpegReader.h"
#include "image/JpegWriter.h"
#include "image/PictureFile.h"
#include "image/PngReader.h"
#include "image/PngWriter.h"
#include "support/StandInViewerLink.h"
#include "platform/Wide.h"
#include "ui/Control.h"
#include "viewer/PictureCopies.h"
#include "viewer/PictureFiles.h"
#include "viewer/ViewerWindow.h"

using namespace mirulo;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 3;

SIZE_T PeakPrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    // Wine reports the peak resident size faithfully; its private-bytes figure
    // misses large allocations.
    return counters.PeakWorkingSetSize;
}

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// One step in this process: prints "<seconds> <peak bytes added>".
int RunStep(const std::string& step, const std::wstring& file) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    platform::RealHost host;
    testkit::StandInViewerLink main; // the viewer needs a main window only for its status text here
    std::unique_ptr<viewer::ViewerWindow> view;
    if (step == "load") {
        view = std::make_unique<viewer::ViewerWindow>(host, main, viewer::ViewerPlacement{0, 0, 600, 800});
    }
    const bool jpeg = file.ends_with(L".jpg");
    const SIZE_T before = PeakPrivateBytes();
    const auto start = Clock::now();
    if (step == "load") {
        view->LoadPicture(file);
    } else if (step == "decode") {
        const image::Image picture = image::DecodePicture(viewer::ReadWholeFile(file));
    } else if (step == "save") {
        const image::Image picture = image::DecodePicture(viewer::ReadWholeFile(file));
        const std::vector<std::uint8_t> bytes =
            jpeg ? image::EncodeJpeg(picture, 90) : image::EncodePng(picture, 7);
        capture::WriteFileReplacing(file + L".reference", bytes);
    } else if (step == "grey") {
        viewer::MakeGrayCopy(file);
    } else if (step == "sepia") {
        viewer::MakeSepiaCopy(file);
    }
    const double seconds = Seconds(start);
    std::printf("%.4f %zu\n", seconds, static_cast<std::size_t>(PeakPrivateBytes() - before));
    return 0;
}

struct Measure {
    double seconds = 0;
    double peak = 0;
};

// Runs one step in a child process of this program, kRuns times: median time, largest peak.
Measure Spawn(const std::string& step, const std::wstring& file) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<double> times;
    Measure result;
    for (int run = 0; run < kRuns; ++run) {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        ::CreatePipe(&readEnd, &writeEnd, &inherit, 0);
        ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION process{};
        std::wstring command =
            L"\"" + std::wstring(self) + L"\" --step " + platform::Widen(step) + L" \"" + file + L"\"";
        if (!::CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                              &process)) {
            std::fprintf(stderr, "cannot start the step %s\n", step.c_str());
            std::exit(1);
        }
        ::CloseHandle(writeEnd);
        std::string output;
        char buffer[256];
        DWORD got = 0;
        while (::ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
            output.append(buffer, got);
        }
        ::WaitForSingleObject(process.hProcess, INFINITE);
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
        ::CloseHandle(readEnd);
        double seconds = 0;
        unsigned long long peak = 0;
        if (std::sscanf(output.c_str(), "%lf %llu", &seconds, &peak) != 2) {
            std::fprintf(stderr, "step %s gave no result: %s\n", step.c_str(), output.c_str());
            std::exit(1);
        }
        times.push_back(seconds);
        result.peak = std::max(result.peak, static_cast<double>(peak));
    }
    std::sort(times.begin(), times.end());
    result.seconds = times[times.size() / 2];
    return result;
}

image::Image EightK(const std::wstring& corpus) {
    const image::Image tile = image::DecodePng(viewer::ReadWholeFile(corpus + L"\\texture-3840x2160.png"));
    image::Image picture;
    picture.width = tile.width * 2;
    picture.height = tile.height * 2;
    picture.pixels.resize(picture.stride() * picture.height);
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        const std::uint8_t* in = tile.row(y % tile.height);
        std::uint8_t* out = picture.row(y);
        for (int half = 0; half < 2; ++half) {
            std::copy(in, in + tile.stride(), out + half * tile.stride());
        }
    }
    return picture;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring(argv[1]) == L"--step") {
        return RunStep(platform::Narrow(argv[2]), argv[3]);
    }
    const std::wstring corpus = argc > 1 ? argv[1] : platform::Widen(MIRULO_CORPUS_DIR);
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"mirulo-bench-viewer";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    {
        const image::Image picture = EightK(corpus);
        capture::WriteFileReplacing(folder + L"\\8k.png", image::EncodePng(picture, 7));
        capture::WriteFileReplacing(folder + L"\\8k.jpg", image::EncodeJpeg(picture, 90));
    }
    const double rgbBytes = 7680.0 * 4320.0 * 3.0;
    std::printf("| picture | step | ours s | reference s | time | ours peak | reference peak |\n");
    std::printf("|---|---|---:|---:|---:|---:|---:|\n");
    for (const wchar_t* name : {L"8k.png", L"8k.jpg"}) {
        const std::wstring file = folder + L"\\" + name;
        const Measure decode = Spawn("decode", file);
        const Measure save = Spawn("save", file);
        const struct {
            const char* step;
            const Measure& reference;
        } rows[] = {{"load", decode}, {"grey", save}, {"sepia", save}};
        for (const auto& row : rows) {
            const Measure ours = Spawn(row.step, file);
            std::printf("| %s | %s | %.3f | %.3f | %.3f | %.2f x | %.2f x |\n",
                        platform::Narrow(name).c_str(), row.step, ours.seconds, row.reference.seconds,
                        ours.seconds / row.reference.seconds, ours.peak / rgbBytes,
                        row.reference.peak / rgbBytes);
        }
    }
    for (const wchar_t* name : {L"8k.png", L"8k.jpg", L"8k.png.reference", L"8k.jpg.reference",
                                L"8k-モノ.png", L"8k-セピ.png", L"8k-モノ.jpg", L"8k-セピ.jpg"}) {
        ::DeleteFileW((folder + L"\\" + name).c_str());
    }
    ::RemoveDirectoryW(folder.c_str());
    return 0;
}
