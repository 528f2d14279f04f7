#pragma once

// The PNG writer's row filtering, inside the image library: which loop scores
// a row's filters on this CPU, and a way for tests to run each loop by name.

#include <array>
#include <cstddef>
#include <cstdint>

#include "image/PngFormat.h"

namespace mirulo::image::png {

// Residuals are scored by magnitude, capped: a residual of 100 costs deflate
// about as many bits as one of 40, so large jumps should not decide the filter.
// libpng's rule (no cap) gave files up to 1.7 % larger on text pictures and
// at most 0.3 % smaller on others.
inline constexpr std::uint8_t kResidualCostCap = 32;

using FilterCosts = std::array<std::uint64_t, kFilterCount>;
using ResidualRows = std::array<std::uint8_t*, kFilterCount>;

// The loops that compute every filter's residuals and costs. Each gives the
// same bytes and costs; the wider ones only take more bytes a step and leave
// the row's tail to the narrower ones.
enum class FilterKernel : std::uint8_t { Plain, Sse2, Avx2 };

// Whether the CPU has AVX2 and the OS saves the YMM registers.
bool CpuRunsAvx2();

// The widest loop this CPU runs, found once.
FilterKernel FastestFilterKernel();

#if defined(__x86_64__)
// 32 bytes a step over [begin, the last whole 32 bytes before end); returns
// where it stopped. Same residuals and costs as the plain loop. Needs begin >=
// 3 (each byte has a left neighbour) and a CPU for which CpuRunsAvx2().
std::size_t FilterBytesAvx2(const std::uint8_t* row, const std::uint8_t* above, std::size_t begin,
                            std::size_t end, const ResidualRows& residuals, FilterCosts& costs);

// A capture's pixels (blue, green, red, unused) as RGB, 8 a step, [0, the
// last whole 8 before width); returns how many it converted.
std::uint32_t BgrxToRgbAvx2(const std::uint8_t* bgrx, std::uint8_t* rgb, std::uint32_t width);
#endif

// A row of `width` pixels (blue, green, red, unused) as RGB, by `kernel`,
// which the CPU must run; the SSE2 kernel converts as the plain one does.
void BgrxRowToRgb(FilterKernel kernel, const std::uint8_t* bgrx, std::uint8_t* rgb, std::uint32_t width);

// Every filter's residuals for the row, into `scratch` (a row per filter, the
// five one after another), and their costs, computed by `kernel`, which the
// CPU must run. The writer always uses FastestFilterKernel(); this is for
// tests that hold the loops against each other.
FilterCosts FilterEveryWayWith(FilterKernel kernel, const std::uint8_t* row, const std::uint8_t* above,
                               std::size_t rowBytes, std::uint8_t* scratch);

} // namespace mirulo::image::png
