// The row filter's loop on 32 bytes a step, for CPUs with AVX2. Only the
// functions marked for AVX2 use it: the rest of the program, and this file's
// other code, keep to the SSE2 every x86-64 has, and the writer calls the loop
// only after CpuRunsAvx2() said yes.

#include "image/PngFilter.h"

#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace mirulo::image::png {

#if defined(__x86_64__)
namespace {

constexpr std::size_t kBytesPerPixel = 3;

// XCR0, which says which register states the OS saves on a task switch.
std::uint64_t EnabledRegisterStates() {
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (std::uint64_t{high} << 32) | low;
}

bool DetectAvx2() {
    unsigned eax = 0;
    unsigned ebx = 0;
    unsigned ecx = 0;
    unsigned edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
        return false;
    }
    constexpr unsigned kOsSavesState = 1u << 27; // OSXSAVE: xgetbv may be run
    constexpr unsigned kAvx = 1u << 28;
    if ((ecx & kOsSavesState) == 0 || (ecx & kAvx) == 0) {
        return false;
    }
    // The OS must save both the XMM and the YMM halves, or a task switch
    // would lose the upper half of the registers.
    constexpr std::uint64_t kXmmAndYmmStates = 0x6;
    if ((EnabledRegisterStates() & kXmmAndYmmStates) != kXmmAndYmmStates) {
        return false;
    }
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) {
        return false;
    }
    constexpr unsigned kAvx2 = 1u << 5;
    return (ebx & kAvx2) != 0;
}

#define MIRULO_AVX2 __attribute__((target("avx2")))

MIRULO_AVX2 inline __m256i Magnitude16(__m256i x) {
    return _mm256_abs_epi16(x);
}

// Paeth on 16-bit lanes: left if |up - upLeft| is least, else up if
// |left - upLeft| <= |left + up - 2 upLeft|, else upLeft.
MIRULO_AVX2 inline __m256i Paeth16(__m256i left, __m256i up, __m256i upLeft) {
    const __m256i upDelta = _mm256_sub_epi16(up, upLeft);
    const __m256i leftDelta = _mm256_sub_epi16(left, upLeft);
    const __m256i distLeft = Magnitude16(upDelta);
    const __m256i distUp = Magnitude16(leftDelta);
    const __m256i distUpLeft = Magnitude16(_mm256_add_epi16(upDelta, leftDelta));
    const __m256i notLeft =
        _mm256_or_si256(_mm256_cmpgt_epi16(distLeft, distUp), _mm256_cmpgt_epi16(distLeft, distUpLeft));
    const __m256i notUp = _mm256_cmpgt_epi16(distUp, distUpLeft);
    return _mm256_blendv_epi8(left, _mm256_blendv_epi8(up, upLeft, notUp), notLeft);
}

MIRULO_AVX2 inline __m256i Load(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

} // namespace

bool CpuRunsAvx2() {
    static const bool runs = DetectAvx2();
    return runs;
}

MIRULO_AVX2 std::size_t FilterBytesAvx2(const std::uint8_t* row, const std::uint8_t* above, std::size_t begin,
                                        std::size_t end, const ResidualRows& residuals, FilterCosts& costs) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i cap = _mm256_set1_epi8(static_cast<char>(kResidualCostCap));
    const __m256i lowBit = _mm256_set1_epi8(1);
    // Four 64-bit sums a filter, added up at the end.
    __m256i sums[kFilterCount] = {zero, zero, zero, zero, zero};
    std::size_t i = begin;
    for (; i + 32 <= end; i += 32) {
        const __m256i value = Load(row + i);
        const __m256i left = Load(row + i - kBytesPerPixel);
        const __m256i up = Load(above + i);
        const __m256i upLeft = Load(above + i - kBytesPerPixel);
        // avg_epu8 rounds up; the filter rounds down.
        const __m256i average =
            _mm256_sub_epi8(_mm256_avg_epu8(left, up), _mm256_and_si256(_mm256_xor_si256(left, up), lowBit));
        // Unpacking and packing both work within each 128-bit half, so the
        // pack puts the bytes back in their order.
        const __m256i paethLow = Paeth16(_mm256_unpacklo_epi8(left, zero), _mm256_unpacklo_epi8(up, zero),
                                         _mm256_unpacklo_epi8(upLeft, zero));
        const __m256i paethHigh = Paeth16(_mm256_unpackhi_epi8(left, zero), _mm256_unpackhi_epi8(up, zero),
                                          _mm256_unpackhi_epi8(upLeft, zero));
        const __m256i filtered[kFilterCount] = {
            value, _mm256_sub_epi8(value, left), _mm256_sub_epi8(value, up), _mm256_sub_epi8(value, average),
            _mm256_sub_epi8(value, _mm256_packus_epi16(paethLow, paethHigh))};
        for (std::size_t filter = 0; filter < kFilterCount; ++filter) {
            const __m256i residual = filtered[filter];
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(residuals[filter] + i), residual);
            // |r| as a signed byte, read unsigned, is min(r, 256 - r): the
            // residual's distance from zero either way round.
            const __m256i cost = _mm256_min_epu8(_mm256_abs_epi8(residual), cap);
            sums[filter] = _mm256_add_epi64(sums[filter], _mm256_sad_epu8(cost, zero));
        }
    }
    for (std::size_t filter = 0; filter < kFilterCount; ++filter) {
        const __m128i halves =
            _mm_add_epi64(_mm256_castsi256_si128(sums[filter]), _mm256_extracti128_si256(sums[filter], 1));
        costs[filter] += static_cast<std::uint64_t>(_mm_cvtsi128_si64(halves)) +
                         static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(halves, halves)));
    }
    return i;
}

MIRULO_AVX2 std::uint32_t BgrxToRgbAvx2(const std::uint8_t* bgrx, std::uint8_t* rgb, std::uint32_t width) {
    // In each 16-byte half: its four pixels' red, green and blue, then four
    // bytes of nothing (-1 gives 0)...
    const __m256i toRgb = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, //
                                           2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    // ...and the halves' twelve bytes side by side.
    const __m256i joinHalves = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    std::uint32_t x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i pixels = Load(bgrx + std::size_t{x} * 4);
        const __m256i packed = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(pixels, toRgb), joinHalves);
        std::uint8_t* out = rgb + std::size_t{x} * kBytesPerPixel;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_extracti128_si256(packed, 1));
    }
    return x;
}

#undef MIRULO_AVX2

#else

bool CpuRunsAvx2() {
    return false;
}

#endif

FilterKernel FastestFilterKernel() {
#if defined(__x86_64__)
    if (CpuRunsAvx2()) {
        return FilterKernel::Avx2;
    }
#endif
#if defined(__SSE2__) || defined(_M_X64)
    return FilterKernel::Sse2;
#else
    return FilterKernel::Plain;
#endif
}

} // namespace mirulo::image::png
