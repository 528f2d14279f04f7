#pragma once
// The random pick of a capture sound: a linear congruential step from a seed
// taken afresh from the performance counter before every pick, and the index
// scaled from the 32-bit result into the list. The same counter value and list
// size always give the same index.
#include <cstdint>

namespace mirulo::sound {

// The seed after one step: seed * 134775813 + 1, modulo 2^32.
constexpr std::uint32_t NextSeed(std::uint32_t seed) {
    return seed * 134775813u + 1u;
}

// The entry for a pick seeded with the counter's low 32 bits among count
// entries: (count * NextSeed(seed)) >> 32, which lies in 0 .. count - 1 (0 for
// an empty list, which selects nothing).
constexpr int RandomSoundIndex(std::uint32_t seed, std::uint32_t count) {
    return static_cast<int>((static_cast<std::uint64_t>(count) * NextSeed(seed)) >> 32);
}

} // namespace mirulo::sound
