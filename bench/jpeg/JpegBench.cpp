// Times JPEG encoding (captures are written at quality 90) and decoding (the
// viewer) against the same work done by direct libjpeg calls, cjpeg/djpeg
// style, with the same settings, and prints our time over the reference's.
//
//   bench_jpeg [corpus folder]     (default: the shared bench corpus)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "image/JpegReader.h"
#include "image/JpegWriter.h"
#include "image/PngReader.h"

namespace {

using mirulo::image::Image;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

Image ToRgb(Image picture) {
    if (picture.channels == 3) {
        return picture;
    }
    Image rgb{picture.width, picture.height, 3, {}};
    rgb.pixels.reserve(rgb.stride() * rgb.height);
    for (std::size_t i = 0; i < picture.pixels.size(); i += picture.channels) {
        rgb.pixels.insert(rgb.pixels.end(), picture.pixels.begin() + static_cast<std::ptrdiff_t>(i),
                          picture.pixels.begin() + static_cast<std::ptrdiff_t>(i + 3));
    }
    return rgb;
}

// Worst case for JPEG: nothing to predict, every coefficient costs bits.
Image Noise(std::uint32_t width, std::uint32_t height) {
    Image picture{width, height, 3, Bytes(static_cast<std::size_t>(width) * height * 3)};
    std::uint32_t seed = 12345;
    for (std::uint8_t& sample : picture.pixels) {
        seed = seed * 1664525u + 1013904223u;
        sample = static_cast<std::uint8_t>(seed >> 24);
    }
    return picture;
}

Bytes ReferenceEncode(const Image& rgb) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = rgb.width;
    cinfo.image_height = rgb.height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.row(cinfo.next_scanline));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes jpeg(buffer, buffer + size);
    std::free(buffer);
    return jpeg;
}

Image ReferenceDecode(const Bytes& jpeg) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    Image picture{cinfo.output_width, cinfo.output_height, 3, {}};
    picture.pixels.resize(picture.stride() * picture.height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = picture.row(cinfo.output_scanline);
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return picture;
}

// Medians of interleaved runs, taking turns at going first, so that both sides
// see the same machine state (caches, allocator, other load).
std::pair<double, double> MedianSeconds(const std::function<void()>& ours,
                                        const std::function<void()>& reference, int runs) {
    std::vector<double> oursTimes;
    std::vector<double> referenceTimes;
    const auto time = [](const std::function<void()>& work, std::vector<double>& times) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    };
    ours(); // warm-up: first touch of the output buffers
    reference();
    for (int run = 0; run < runs; ++run) {
        if (run % 2 == 0) {
            time(ours, oursTimes);
            time(reference, referenceTimes);
        } else {
            time(reference, referenceTimes);
            time(ours, oursTimes);
        }
    }
    std::sort(oursTimes.begin(), oursTimes.end());
    std::sort(referenceTimes.begin(), referenceTimes.end());
    return {oursTimes[oursTimes.size() / 2], referenceTimes[referenceTimes.size() / 2]};
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path corpus = argc > 1 ? argv[1] : MIRULO_BENCH_CORPUS;
    std::vector<std::pair<std::string, Image>> pictures;
    for (const char* name : {"desktop-1920x1080.png", "pixelart-1920x1080.png", "texture-3840x2160.png"}) {
        const Bytes png = ReadFile(corpus / name);
        if (png.empty()) {
            std::fprintf(stderr, "cannot read %s\n", (corpus / name).string().c_str());
            return 1;
        }
        pictures.emplace_back(name, ToRgb(mirulo::image::DecodePng(png)));
    }
    pictures.emplace_back("noise-1920x1080 (generated)", Noise(1920, 1080));

    constexpr int kRuns = 15;
    std::printf("JPEG quality 90, median of %d runs; ratio = ours / direct libjpeg (below 1 is faster)\n",
                kRuns);
    std::printf("%-28s %9s %11s %11s %6s %11s %11s %6s %5s\n", "picture", "JPEG KiB", "enc ms/MP",
                "ref ms/MP", "ratio", "dec ms/MP", "ref ms/MP", "ratio", "same");
    for (const auto& entry : pictures) {
        const std::string& name = entry.first;
        const Image& picture = entry.second;
        const double megapixels = static_cast<double>(picture.width) * picture.height / 1e6;
        Bytes ours;
        Bytes reference;
        const auto [encode, referenceEncode] =
            MedianSeconds([&] { ours = mirulo::image::EncodeJpeg(picture); },
                          [&] { reference = ReferenceEncode(picture); }, kRuns);
        Image decodedOurs;
        Image decodedReference;
        const auto [decode, referenceDecode] =
            MedianSeconds([&] { decodedOurs = mirulo::image::DecodeJpeg(ours); },
                          [&] { decodedReference = ReferenceDecode(reference); }, kRuns);
        // The same settings must give the same file and the same pixels.
        const bool same = ours == reference && decodedOurs.pixels == decodedReference.pixels;
        std::printf("%-28s %9.0f %11.2f %11.2f %6.3f %11.2f %11.2f %6.3f %5s\n", name.c_str(),
                    static_cast<double>(ours.size()) / 1024, encode * 1e3 / megapixels,
                    referenceEncode * 1e3 / megapixels, encode / referenceEncode, decode * 1e3 / megapixels,
                    referenceDecode * 1e3 / megapixels, decode / referenceDecode, same ? "yes" : "NO");
    }
    return 0;
}
