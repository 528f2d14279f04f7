// Any bytes, split into history and data at any point, packed with any chain
// length, final or open: zlib inflates the stream, primed with the history,
// back to exactly the data, ending where the encoder said and only if final.
//
// Input: a flags byte (bit 0: last; bits 1-2: how the body grows), two bytes
// of chain links, one of where history ends, one of how many copies, then the
// body. Fuzz inputs are short, so the body may be repeated, repeated with
// noise, or repeated shifted, to reach the 32 KiB window and blocks of many
// thousands of symbols.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <zlib.h>

#include "image/LongMatchDeflate.h"

namespace {

constexpr std::size_t kHeader = 5;
constexpr std::size_t kMostBytes = 96 * 1024;

std::vector<std::uint8_t> Grown(const std::uint8_t* body, std::size_t size, unsigned mode,
                                std::size_t copies) {
    if (size == 0 || mode == 0) {
        return {body, body + size};
    }
    const std::size_t total = std::min(size * copies, kMostBytes);
    std::vector<std::uint8_t> bytes(total);
    std::uint32_t noise = 0x9e3779b9u;
    for (std::size_t i = 0; i < total; ++i) {
        const std::size_t copy = i / size;
        std::uint8_t byte = body[i % size];
        if (mode == 2 && copy > 0) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            if ((noise & 15u) == 0) {
                byte = static_cast<std::uint8_t>(noise >> 24);
            }
        } else if (mode == 3) {
            byte = static_cast<std::uint8_t>(byte + copy);
        }
        bytes[i] = byte;
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeader) {
        return 0;
    }
    const bool last = (data[0] & 1u) != 0;
    const unsigned mode = (data[0] >> 1) & 3u;
    const int chainLinks = 1 + (data[1] | (data[2] << 8)) % 300;
    const std::size_t copies = 1u + data[4];
    // Exactly the history and the data, so a read past either end is caught.
    const std::vector<std::uint8_t> buffer = Grown(data + kHeader, size - kHeader, mode, copies);
    const std::size_t history = buffer.size() * data[3] / 255;
    const std::size_t dataSize = buffer.size() - history;

    static mirulo::image::LongMatchDeflater deflater; // reused, as the writer's threads do
    std::vector<std::uint8_t> out;
    const std::size_t length =
        deflater.Compress(buffer.data() + history, history, dataSize, last, chainLinks, out);
    if (length > out.size() || length > mirulo::image::LongMatchDeflater::Bound(dataSize)) {
        std::abort();
    }

    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) {
        std::abort();
    }
    if (history > 0 && inflateSetDictionary(&z, buffer.data(), static_cast<uInt>(history)) != Z_OK) {
        std::abort();
    }
    std::vector<std::uint8_t> inflated(dataSize + 1);
    z.next_in = out.data();
    z.avail_in = static_cast<uInt>(length);
    z.next_out = inflated.data();
    z.avail_out = static_cast<uInt>(inflated.size());
    const int status = inflate(&z, Z_SYNC_FLUSH);
    const std::size_t produced = z.total_out;
    const std::size_t inputLeft = z.avail_in;
    inflateEnd(&z);

    if (status != (last ? Z_STREAM_END : Z_OK) || inputLeft != 0 || produced != dataSize) {
        std::abort();
    }
    for (std::size_t i = 0; i < dataSize; ++i) {
        if (inflated[i] != buffer[history + i]) {
            std::abort();
        }
    }
    if (!last && (length < 4 || out[length - 4] != 0x00 || out[length - 3] != 0x00 ||
                  out[length - 2] != 0xff || out[length - 1] != 0xff)) {
        std::abort();
    }
    return 0;
}
