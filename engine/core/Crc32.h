#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvane {

namespace crc32_detail {
constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
        }
        table[i] = c;
    }
    return table;
}
inline constexpr std::array<std::uint32_t, 256> kTable = MakeTable();
} // namespace crc32_detail

// The CRC-32 of the GUID partition table's headers and entry arrays: the
// reflected polynomial 0xEDB88320, initial value and final XOR all ones (the
// CRC of "123456789" is 0xCBF43926).
constexpr std::uint32_t Crc32(std::span<const std::byte> bytes) {
    std::uint32_t crc = 0xFFFFFFFFU;
    for (const std::byte b : bytes) {
        crc = crc32_detail::kTable[(crc ^ static_cast<std::uint8_t>(b)) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

} // namespace quorvane
