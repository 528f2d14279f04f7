// Encodes screen-like pictures with our PNG writer and with libpng at the same
// zlib level (libpng's default filter heuristic and strategy), side by side,
// and prints times, sizes and the ratios ours/libpng. Also decodes our files
// with both readers. Every file is checked to decode to its source pixels.
//
//   bench_png [folder...] [--repeat N] [--keep FOLDER]
//
// --keep writes our file of each picture into FOLDER (same name), for other
// tools to check.
// Every *.png of each folder is a picture (default: ../shared/bench-corpus
// beside the source tree; bench/png/make-corpus makes a broader one, in two
// halves); with several folders, each also gets a line of its totals.
#include <png.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <utility>
#include <string>
#include <vector>

#include "image/PngReader.h"
#include "image/PngWriter.h"

namespace {

using mirulo::image::DecodePng;
using mirulo::image::EncodePng;
using mirulo::image::Image;
using Bytes = std::vector<std::uint8_t>;

constexpr int kLevel = 7;

struct Sample {
    std::string name;
    std::size_t folder = 0;
    Image picture;
};

struct Totals {
    double oursMs = 0, libpngMs = 0, oursCpu = 0, libpngCpu = 0, oursBytes = 0, libpngBytes = 0;
    double worstBytes = 0, worstTime = 0;
};

void PrintTotals(const std::string& name, const Totals& t) {
    std::printf("%-26s %10.1f %10.1f %10.0f %10.0f %8.3f %8.3f %8.4f   worst: time %.3f, size %.4f\n",
                name.c_str(), t.oursMs, t.libpngMs, t.oursBytes, t.libpngBytes, t.oursMs / t.libpngMs,
                t.oursCpu / t.libpngCpu, t.oursBytes / t.libpngBytes, t.worstTime, t.worstBytes);
}

[[noreturn]] void Die(const std::string& message) {
    std::fprintf(stderr, "bench_png: %s\n", message.c_str());
    std::exit(1);
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Die("cannot read " + path);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        Die("cannot write " + path);
    }
}

Image Blank(std::uint32_t width, std::uint32_t height) {
    Image picture;
    picture.width = width;
    picture.height = height;
    picture.channels = 3;
    picture.pixels.resize(std::size_t{width} * height * 3);
    return picture;
}

Image ToRgb(Image picture) {
    if (picture.channels == 3) {
        return picture;
    }
    Image rgb = Blank(picture.width, picture.height);
    for (std::size_t i = 0; i < std::size_t{picture.width} * picture.height; ++i) {
        std::memcpy(&rgb.pixels[i * 3], &picture.pixels[i * picture.channels], 3);
    }
    return rgb;
}

void AppendToBytes(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void NoFlush(png_structp) {}

Bytes EncodeWithLibpng(const Image& picture) {
    Bytes out;
    out.reserve(picture.pixels.size() / 4);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
        Die("libpng could not encode");
    }
    png_set_write_fn(png, &out, AppendToBytes, NoFlush);
    png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, kLevel);
    png_write_info(png, info);
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        png_write_row(png, picture.row(y));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Image DecodeWithLibpng(const Bytes& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, file.data(), file.size()) == 0) {
        Die(std::string("libpng could not read: ") + image.message);
    }
    image.format = PNG_FORMAT_RGB;
    Image picture = Blank(image.width, image.height);
    if (png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr) == 0) {
        Die(std::string("libpng could not decode: ") + image.message);
    }
    return picture;
}

// Runs `ours` and `reference` alternately `repeat` times, so that a change in
// machine load hits both alike; the median times in milliseconds. The results
// of the last runs are kept.
template <typename Result>
std::pair<double, double> TimeSideBySide(int repeat, Result& ours, const std::function<Result()>& runOurs,
                                         Result& reference, const std::function<Result()>& runReference) {
    std::vector<double> oursMs, referenceMs;
    const auto time = [](Result& result, const std::function<Result()>& run) {
        const auto start = std::chrono::steady_clock::now();
        result = run();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    for (int i = 0; i < repeat; ++i) {
        oursMs.push_back(time(ours, runOurs));
        referenceMs.push_back(time(reference, runReference));
    }
    const auto median = [](std::vector<double>& values) {
        std::sort(values.begin(), values.end());
        const std::size_t middle = values.size() / 2;
        return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    };
    return {median(oursMs), median(referenceMs)};
}

// CPU time of the whole process: the work a run costs, whatever else the
// machine is doing (wall times on a shared machine depend on its load). The
// process, not the calling thread: our encoder works on its pool's threads.
double ProcessCpuMs() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e4;
#else
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
#endif
}

// Median CPU times of `ours` and `reference`, run alternately, each on one thread.
std::pair<double, double> CpuSideBySide(int repeat, const std::function<void()>& ours,
                                        const std::function<void()>& reference) {
    std::vector<double> oursMs, referenceMs;
    for (int i = 0; i < repeat; ++i) {
        double start = ProcessCpuMs();
        ours();
        oursMs.push_back(ProcessCpuMs() - start);
        start = ProcessCpuMs();
        reference();
        referenceMs.push_back(ProcessCpuMs() - start);
    }
    std::sort(oursMs.begin(), oursMs.end());
    std::sort(referenceMs.begin(), referenceMs.end());
    return {oursMs[oursMs.size() / 2], referenceMs[referenceMs.size() / 2]};
}

void RequireSamePixels(const Image& expected, const Image& actual, const std::string& what) {
    if (actual.width != expected.width || actual.height != expected.height || actual.channels != 3 ||
        actual.pixels != expected.pixels) {
        Die(what + " does not give back the source pixels");
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> folders;
    int repeat = 7;
    std::string keep;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--repeat" && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--keep" && i + 1 < argc) {
            keep = argv[++i];
        } else {
            folders.push_back(arg);
        }
    }
    if (folders.empty()) {
        folders.push_back(std::string(MIRULO_SOURCE_DIR) + "/../shared/bench-corpus");
    }

    std::vector<Sample> samples;
    for (std::size_t folder = 0; folder < folders.size(); ++folder) {
        std::vector<std::filesystem::path> paths;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folders[folder], error)) {
            if (entry.is_regular_file() && entry.path().extension() == ".png") {
                paths.push_back(entry.path());
            }
        }
        if (error || paths.empty()) {
            Die("no *.png pictures in " + folders[folder]);
        }
        std::sort(paths.begin(), paths.end());
        for (const auto& path : paths) {
            samples.push_back({path.stem().string(), folder, ToRgb(DecodePng(ReadFile(path.string())))});
        }
    }

    std::printf("PNG encode, zlib level %d, median of %d interleaved runs\n", kLevel, repeat);
    std::printf("`time` is wall time (ours on every processor); `cpu` is the CPU time of ours on one thread\n"
                "against libpng's, medians of %d runs: the work, whatever the machine's load.\n",
                std::max(3, repeat / 2));
    std::printf("%-26s %10s %10s %10s %10s %8s %8s %8s\n", "picture", "ours ms", "libpng ms", "ours B",
                "libpng B", "time", "cpu", "size");
    Totals all;
    std::vector<Totals> perFolder(folders.size());
    std::vector<Bytes> ourFiles;
    for (const Sample& sample : samples) {
        Bytes ours, reference;
        const auto [oursMs, libpngMs] = TimeSideBySide<Bytes>(
            repeat, ours, [&] { return EncodePng(sample.picture, kLevel); }, reference,
            [&] { return EncodeWithLibpng(sample.picture); });
        const auto [oursCpu, libpngCpu] = CpuSideBySide(
            std::max(3, repeat / 2), [&] { (void)EncodePng(sample.picture, kLevel, 1); },
            [&] { (void)EncodeWithLibpng(sample.picture); });
        RequireSamePixels(sample.picture, DecodePng(ours), "our reader on our file of " + sample.name);
        RequireSamePixels(sample.picture, DecodeWithLibpng(ours), "libpng on our file of " + sample.name);
        if (!keep.empty()) {
            WriteFile((std::filesystem::path(keep) / (sample.name + ".png")).string(), ours);
        }
        std::printf("%-26s %10.1f %10.1f %10zu %10zu %8.3f %8.3f %8.4f\n", sample.name.c_str(), oursMs,
                    libpngMs, ours.size(), reference.size(), oursMs / libpngMs, oursCpu / libpngCpu,
                    static_cast<double>(ours.size()) / static_cast<double>(reference.size()));
        for (Totals* t : {&all, &perFolder[sample.folder]}) {
            t->oursMs += oursMs;
            t->libpngMs += libpngMs;
            t->oursCpu += oursCpu;
            t->libpngCpu += libpngCpu;
            t->oursBytes += static_cast<double>(ours.size());
            t->libpngBytes += static_cast<double>(reference.size());
            t->worstTime = std::max(t->worstTime, oursMs / libpngMs);
            t->worstBytes = std::max(t->worstBytes, static_cast<double>(ours.size()) /
                                                        static_cast<double>(reference.size()));
        }
        ourFiles.push_back(std::move(ours));
    }
    if (folders.size() > 1) {
        for (std::size_t folder = 0; folder < folders.size(); ++folder) {
            PrintTotals(std::filesystem::path(folders[folder]).filename().string(), perFolder[folder]);
        }
    }
    PrintTotals("all", all);
    std::printf("\n");

    std::printf("PNG decode of our files, median of %d interleaved runs\n", repeat);
    std::printf("%-26s %10s %10s %8s\n", "picture", "ours ms", "libpng ms", "time");
    double oursMsTotal = 0, libpngMsTotal = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        Image ours, reference;
        const auto [oursMs, libpngMs] = TimeSideBySide<Image>(
            repeat, ours, [&] { return DecodePng(ourFiles[i]); }, reference,
            [&] { return DecodeWithLibpng(ourFiles[i]); });
        RequireSamePixels(samples[i].picture, ours, "our reader on " + samples[i].name);
        std::printf("%-26s %10.1f %10.1f %8.3f\n", samples[i].name.c_str(), oursMs, libpngMs,
                    oursMs / libpngMs);
        oursMsTotal += oursMs;
        libpngMsTotal += libpngMs;
    }
    std::printf("%-26s %10.1f %10.1f %8.3f\n", "all", oursMsTotal, libpngMsTotal,
                oursMsTotal / libpngMsTotal);
    return 0;
}
