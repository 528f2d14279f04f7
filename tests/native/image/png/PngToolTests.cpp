// Our files as independent tools see them: pngcheck validates the structure,
// ImageMagick decodes the pixels. Skipped where the tools are not installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <string>

#include "PngTestSupport.h"
#include "image/GreyScale.h"
#include "image/PngWriter.h"

namespace mirulo::image::test {
namespace {

namespace fs = std::filesystem;

bool HaveTool(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command; its output and exit status.
std::pair<std::string, int> RunShell(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return {"", -1};
    }
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, got);
    }
    return {output, pclose(pipe)};
}

class ToolFolder {
public:
    ToolFolder() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() / ("mirulo-png-" + std::string(info->name()) + "-" +
                                             std::to_string(static_cast<long>(::getpid())));
        fs::create_directories(path_);
    }
    ~ToolFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const fs::path file = path_ / name;
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }
    std::vector<std::uint8_t> Read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

struct ToolCase {
    const char* name;
    std::uint32_t width, height, channels;
    Pattern pattern;
};

const ToolCase kToolCases[] = {
    {"OnePixel", 1, 1, 3, Pattern::Noise},          {"OddSizedRamp", 31, 17, 3, Pattern::Ramp},
    {"Desktop", 301, 97, 3, Pattern::Desktop},      {"SeveralIdatChunks", 700, 200, 3, Pattern::Noise},
    {"RgbaInput", 45, 23, 4, Pattern::SmoothNoise}, {"SeveralDeflateBands", 1100, 1000, 3, Pattern::Desktop},
};

class PngTools : public testing::TestWithParam<ToolCase> {};

TEST_P(PngTools, PngcheckAcceptsOurFileAsEightBitRgb) {
    if (!HaveTool("pngcheck")) {
        GTEST_SKIP() << "pngcheck is not installed";
    }
    const ToolCase& c = GetParam();
    const ToolFolder folder;
    const std::string path =
        folder.Write("out.png", EncodePng(MakePicture(c.width, c.height, c.channels, c.pattern)));

    const auto [output, status] = RunShell("pngcheck -v '" + path + "'");

    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find(std::to_string(c.width) + " x " + std::to_string(c.height) +
                          " image, 24-bit RGB, non-interlaced"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("No errors detected"), std::string::npos) << output;
}

TEST_P(PngTools, ImageMagickReadsOurPixels) {
    if (!HaveTool("convert")) {
        GTEST_SKIP() << "ImageMagick is not installed";
    }
    const ToolCase& c = GetParam();
    const Image picture = MakePicture(c.width, c.height, c.channels, c.pattern);
    const ToolFolder folder;
    const std::string path = folder.Write("out.png", EncodePng(picture));

    const auto [output, status] =
        RunShell("convert '" + path + "' -depth 8 'rgb:" + folder.PathOf("out.rgb") + "'");
    ASSERT_EQ(status, 0) << output;

    const std::vector<std::uint8_t> decoded = folder.Read("out.rgb");
    ASSERT_EQ(decoded.size(), std::size_t{c.width} * c.height * 3);
    for (std::size_t i = 0; i < std::size_t{c.width} * c.height; ++i) {
        for (std::size_t ch = 0; ch < 3; ++ch) {
            ASSERT_EQ(decoded[i * 3 + ch], picture.pixels[i * c.channels + ch]) << "pixel " << i;
        }
    }
}

TEST(PngTools, PngcheckAcceptsTheGreyCopyAsAPaletteOf256Entries) {
    if (!HaveTool("pngcheck")) {
        GTEST_SKIP() << "pngcheck is not installed";
    }
    const ToolFolder folder;
    const std::string path =
        folder.Write("grey.png", EncodePng(ToGreyIndexed(MakePicture(301, 97, 3, Pattern::Desktop))));

    const auto [output, status] = RunShell("pngcheck -v '" + path + "'");

    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("301 x 97 image, 8-bit palette, non-interlaced"), std::string::npos) << output;
    EXPECT_NE(output.find("chunk PLTE at offset 0x00025, length 768: 256 palette entries"), std::string::npos)
        << output;
    EXPECT_NE(output.find("No errors detected"), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(Pictures, PngTools, testing::ValuesIn(kToolCases),
                         [](const testing::TestParamInfo<ToolCase>& c) { return c.param.name; });

} // namespace
} // namespace mirulo::image::test
