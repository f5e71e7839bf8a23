// The length of a carved file from its own structure, over any bytes: the
// compound file header and tables (sectors read from the input, wrapping),
// and the ZIP end record finder, which must find the same end whether the
// bytes come in one piece or in pieces.
#include "engine/raw/RawFileSize.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::span<const std::byte> input(reinterpret_cast<const std::byte*>(data), size);
    std::vector<std::byte> header(512);
    std::memcpy(header.data(), data, std::min<std::size_t>(size, 512));
    if (size >= 8) {
        std::memcpy(header.data(), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    }
    std::uint64_t reads = 0;
    const std::uint64_t limit = std::uint64_t{data[0]} << (data[1] % 40);
    const std::uint64_t length =
        CompoundFileSize(header, limit, [&](std::uint32_t index, std::span<std::byte> out) {
            ++reads;
            for (std::size_t i = 0; i < out.size(); ++i) {
                out[i] = input[(std::size_t{index} * 7 + i) % size];
            }
            return true;
        });
    if (length > limit || reads > limit / 512 + 2) {
        std::abort();
    }

    ZipEndFinder whole;
    whole.Feed(input);
    ZipEndFinder pieces;
    const std::size_t piece = 1 + data[0] % 97;
    for (std::size_t at = 0; at < size && !pieces.End(); at += piece) {
        pieces.Feed(input.subspan(at, std::min(piece, size - at)));
    }
    if (whole.End() != pieces.End()) {
        std::abort();
    }
    return 0;
}
