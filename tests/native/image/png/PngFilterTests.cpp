#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "image/PngFilter.h"

namespace mirulo::image::png {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kBytesPerPixel = 3;

// The five filters as the format defines them, one byte at a time: what every
// loop of the writer must give, whatever width it works on.
int PaethAsDefined(int left, int up, int upLeft) {
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left);
    const int toUp = std::abs(estimate - up);
    const int toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) {
        return left;
    }
    return toUp <= toUpLeft ? up : upLeft;
}

struct Filtered {
    Bytes residuals; // a row per filter, one after another
    FilterCosts costs{};
};

Filtered FilterAsDefined(const Bytes& row, const Bytes& above) {
    const std::size_t rowBytes = row.size();
    Filtered out{Bytes(kFilterCount * rowBytes), {}};
    for (std::size_t i = 0; i < rowBytes; ++i) {
        const int left = i >= kBytesPerPixel ? row[i - kBytesPerPixel] : 0;
        const int up = above[i];
        const int upLeft = i >= kBytesPerPixel ? above[i - kBytesPerPixel] : 0;
        const int predictions[kFilterCount] = {0, left, up, (left + up) / 2,
                                               PaethAsDefined(left, up, upLeft)};
        for (std::size_t filter = 0; filter < kFilterCount; ++filter) {
            const auto residual = static_cast<std::uint8_t>(row[i] - predictions[filter]);
            out.residuals[filter * rowBytes + i] = residual;
            const int distance = std::min<int>(residual, 256 - residual);
            out.costs[filter] += static_cast<std::uint64_t>(std::min<int>(distance, kResidualCostCap));
        }
    }
    return out;
}

// Row contents: `above` is line 0, the row being filtered line 1.
using ByteSource = std::function<std::uint8_t(std::mt19937& random, std::size_t index, int line)>;

std::uint8_t OneOf(std::mt19937& random, std::initializer_list<std::uint8_t> values) {
    return *(values.begin() + std::uniform_int_distribution<std::size_t>(0, values.size() - 1)(random));
}

struct Content {
    const char* name;
    ByteSource byte;
};

const Content kContents[] = {
    {"Random", [](std::mt19937& r, std::size_t, int) { return static_cast<std::uint8_t>(r()); }},
    {"FlatBlack", [](std::mt19937&, std::size_t, int) { return std::uint8_t{0}; }},
    {"FlatWhite", [](std::mt19937&, std::size_t, int) { return std::uint8_t{255}; }},
    // The first row of a picture: nothing above it.
    {"FirstRow", [](std::mt19937& r, std::size_t,
                    int line) { return line == 0 ? std::uint8_t{0} : static_cast<std::uint8_t>(r()); }},
    {"HorizontalGradient",
     [](std::mt19937&, std::size_t i, int) {
         return static_cast<std::uint8_t>(i / kBytesPerPixel * 5 + i % 3 * 80);
     }},
    {"VerticalGradient",
     [](std::mt19937&, std::size_t i, int line) {
         return static_cast<std::uint8_t>(i % 3 * 40 + std::size_t(line) * 9);
     }},
    {"DiagonalGradient",
     [](std::mt19937&, std::size_t i, int line) {
         return static_cast<std::uint8_t>(i / kBytesPerPixel * 3 + std::size_t(line) * 7);
     }},
    // Sums of neighbours near 0 and 510, odd and even: where the Average's
    // rounding and the residuals' wrap around 0 and 128 show.
    {"NearTheEnds",
     [](std::mt19937& r, std::size_t, int) {
         return OneOf(r, {0, 1, 2, 126, 127, 128, 129, 253, 254, 255});
     }},
    // Few values: most pixels tie two or three of Paeth's distances, so the
    // order it breaks ties in decides every byte.
    {"PaethTies",
     [](std::mt19937& r, std::size_t, int) {
         return OneOf(r, {0, 1, 2, 3});
     }},
    {"TextOnWhite",
     [](std::mt19937& r, std::size_t, int) {
         return r() % 5 == 0 ? OneOf(r, {0, 40, 90, 200}) : std::uint8_t{255};
     }},
};

// Widths in pixels around each loop's step (32 and 16 bytes) and the row's
// first pixel, up to screen widths.
const std::uint32_t kWidths[] = {1, 2, 5, 11, 12, 16, 17, 22, 31, 32, 33, 64, 100, 1366, 1920};

bool KernelRunsHere(FilterKernel kernel) {
    switch (kernel) {
    case FilterKernel::Plain:
        return true;
    case FilterKernel::Sse2:
#if defined(__SSE2__) || defined(_M_X64)
        return true;
#else
        return false;
#endif
    case FilterKernel::Avx2:
        return CpuRunsAvx2();
    }
    return false;
}

std::string KernelName(const testing::TestParamInfo<FilterKernel>& info) {
    switch (info.param) {
    case FilterKernel::Plain:
        return "Plain";
    case FilterKernel::Sse2:
        return "Sse2";
    case FilterKernel::Avx2:
        return "Avx2";
    }
    return "Unknown";
}

class FilterKernelTest : public testing::TestWithParam<FilterKernel> {};

// Every loop gives each filter's residuals and capped costs as the format
// defines them, so the filter a row gets, and the file, never depend on
// which loop ran; and none writes outside its five rows.
TEST_P(FilterKernelTest, GivesTheResidualsAndCostsOfTheDefinition) {
    const FilterKernel kernel = GetParam();
    if (!KernelRunsHere(kernel)) {
        GTEST_SKIP() << "this CPU cannot run the " << KernelName({kernel, 0}) << " loop";
    }
    constexpr std::size_t kGuardBytes = 64;
    constexpr std::uint8_t kUnwritten = 0xA5;
    std::mt19937 random(20261211);
    for (const Content& content : kContents) {
        for (const std::uint32_t width : kWidths) {
            SCOPED_TRACE(std::string(content.name) + ", " + std::to_string(width) + " pixels");
            const std::size_t rowBytes = std::size_t{width} * kBytesPerPixel;
            Bytes above(rowBytes);
            Bytes row(rowBytes);
            for (std::size_t i = 0; i < rowBytes; ++i) {
                above[i] = content.byte(random, i, 0);
            }
            for (std::size_t i = 0; i < rowBytes; ++i) {
                row[i] = content.byte(random, i, 1);
            }
            const Filtered expected = FilterAsDefined(row, above);

            Bytes scratch(kFilterCount * rowBytes + kGuardBytes, kUnwritten);
            const FilterCosts costs =
                FilterEveryWayWith(kernel, row.data(), above.data(), rowBytes, scratch.data());

            EXPECT_EQ(costs, expected.costs);
            for (std::size_t i = 0; i < expected.residuals.size(); ++i) {
                if (scratch[i] != expected.residuals[i]) {
                    ADD_FAILURE() << "filter " << i / rowBytes << ", byte " << i % rowBytes << ": residual "
                                  << int{scratch[i]} << ", not " << int{expected.residuals[i]};
                    break;
                }
            }
            EXPECT_EQ(Bytes(scratch.end() - kGuardBytes, scratch.end()), Bytes(kGuardBytes, kUnwritten))
                << "wrote past the last residual row";
        }
    }
}

// A capture's row (blue, green, red, unused) becomes red, green, blue, at
// widths around the 8 pixels a wide step takes, with nothing written after it.
TEST_P(FilterKernelTest, TurnsCapturedRowsIntoRgb) {
    const FilterKernel kernel = GetParam();
    if (!KernelRunsHere(kernel)) {
        GTEST_SKIP() << "this CPU cannot run the " << KernelName({kernel, 0}) << " loop";
    }
    constexpr std::size_t kGuardBytes = 32;
    constexpr std::uint8_t kUnwritten = 0xA5;
    std::mt19937 random(7);
    for (const std::uint32_t width : {1u, 7u, 8u, 9u, 15u, 16u, 17u, 24u, 1366u, 1920u}) {
        SCOPED_TRACE(std::to_string(width) + " pixels");
        Bytes bgrx(std::size_t{width} * 4);
        for (std::uint8_t& byte : bgrx) {
            byte = static_cast<std::uint8_t>(random());
        }
        Bytes expected;
        for (std::size_t x = 0; x < width; ++x) {
            expected.insert(expected.end(), {bgrx[x * 4 + 2], bgrx[x * 4 + 1], bgrx[x * 4]});
        }
        expected.insert(expected.end(), kGuardBytes, kUnwritten);

        Bytes rgb(std::size_t{width} * kBytesPerPixel + kGuardBytes, kUnwritten);
        BgrxRowToRgb(kernel, bgrx.data(), rgb.data(), width);
        EXPECT_EQ(rgb, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLoop, FilterKernelTest,
                         testing::Values(FilterKernel::Plain, FilterKernel::Sse2, FilterKernel::Avx2),
                         KernelName);

// The writer takes the widest loop the CPU runs: AVX2 exactly where the
// compiler's own check finds it (which also asks the OS for the YMM state).
TEST(FilterKernelChoice, TakesAvx2WhereTheCpuRunsIt) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    __builtin_cpu_init();
    const bool hasAvx2 = __builtin_cpu_supports("avx2") != 0;
    EXPECT_EQ(CpuRunsAvx2(), hasAvx2);
    EXPECT_EQ(FastestFilterKernel(), hasAvx2 ? FilterKernel::Avx2 : FilterKernel::Sse2);
#else
    GTEST_SKIP() << "not an x86-64 build";
#endif
}

} // namespace
} // namespace mirulo::image::png
