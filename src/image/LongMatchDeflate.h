#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mirulo::image {

// A deflate encoder for filtered picture rows that takes no match shorter
// than six bytes. On photos, rendered scenes and wallpapers most filtered
// bytes are small residuals whose three- to five-byte repeats are everywhere:
// a parser that takes them (libdeflate's, zlib's default) spends a length and
// a distance where two or three literals cost less, and walks long hash
// chains to find them. Hashing six bytes keeps the chains to repeats worth
// coding, so a search of a few links finds what libdeflate's level 7 finds in
// a hundred, and the file comes out smaller. Text and flat UI, whose short
// repeats are real, are left to libdeflate.
//
// Unlike libdeflate it starts from the bytes before the data (the band before's
// rows), and it can end without a final block, so that another stream follows.
class LongMatchDeflater {
public:
    LongMatchDeflater();

    // Packs data[0, size) as raw deflate into `out` (grown as needed) and
    // returns its length. The `history` bytes before `data` (at most 32 KiB are
    // used) may be referred to. `chainLinks` is how many earlier places of the
    // same six bytes are looked at for a match where none is pending: more
    // finds far repeats (tiles a row or two up) at a cost on noisy rows. With
    // `last`, the stream ends with a final block; else with an empty stored
    // block, at a byte boundary.
    std::size_t Compress(const std::uint8_t* data, std::size_t history, std::size_t size, bool last,
                         int chainLinks, std::vector<std::uint8_t>& out);

    // The most Compress can write for `size` bytes.
    static std::size_t Bound(std::size_t size);

private:
    struct BitWriter;

    std::uint32_t HashAt(std::size_t position) const;
    void Insert(std::size_t position);
    // The longest match at `position` longer than `longerThan`, as length and
    // distance; length 0 when there is none of at least the minimum length.
    void FindMatch(std::size_t position, int longerThan, int chainLinks, int& length, int& distance) const;
    void WriteBlock(BitWriter& bits, std::size_t blockStart, std::size_t blockEnd, bool final);

    const std::uint8_t* base_ = nullptr; // the history's first byte
    std::size_t end_ = 0;                // the data's end, from base_
    std::vector<std::int32_t> head_;     // by hash: the last place inserted, or -1
    std::vector<std::uint16_t>
        previous_; // by place in the window: distance to the place before of the same hash
    std::vector<std::uint32_t> symbols_; // the block's literals and matches, see LongMatchDeflate.cpp
};

} // namespace mirulo::image
