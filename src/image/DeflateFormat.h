#pragma once
// The deflate format's tables, shared by the PNG writer's stream walker and
// its long-match encoder.
#include <array>
#include <cstddef>
#include <cstdint>

namespace mirulo::image::deflate_format {

inline constexpr std::size_t kLiteralLengthCodes = 286;
inline constexpr std::size_t kDistanceCodes = 30;
inline constexpr std::size_t kCodeLengthCodes = 19;
inline constexpr std::size_t kEndOfBlock = 256;
inline constexpr std::size_t kFirstLengthCode = 257;
inline constexpr std::size_t kMaxCodeLength = 15;
inline constexpr std::size_t kMaxCodeLengthCodeLength = 7;

// By length code (symbol - 257): the shortest length it stands for, and the
// extra bits that follow it.
inline constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                              15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                              67, 83, 99, 115, 131, 163, 195, 227, 258};
inline constexpr std::array<std::uint8_t, 29> kLengthExtraBits = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
// By distance code: the shortest distance it stands for, and its extra bits.
inline constexpr std::array<std::uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
inline constexpr std::array<std::uint8_t, 30> kDistanceExtraBits = {
    0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block's header gives the code-length code.
inline constexpr std::array<std::uint8_t, kCodeLengthCodes> kCodeLengthOrder = {
    16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// The fixed codes' lengths: literals 0-143 eight bits, 144-255 nine, 256-279
// seven, 280-287 eight; every distance five.
inline constexpr std::array<std::uint8_t, 288> kFixedLiteralLengths = [] {
    std::array<std::uint8_t, 288> lengths{};
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
        lengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
    }
    return lengths;
}();
inline constexpr std::uint8_t kFixedDistanceLength = 5;

} // namespace mirulo::image::deflate_format
