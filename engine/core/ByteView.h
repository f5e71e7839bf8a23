#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorvane {

// Bounds-checked little-endian reads over a disk buffer. A read that does not
// fit gives 0 (or false) instead of touching memory outside the buffer: the
// callers treat such a field like any other garbage value.
class ByteView {
public:
    ByteView() = default;
    explicit ByteView(std::span<const std::byte> bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    std::span<const std::byte> bytes() const { return bytes_; }

    bool Has(std::size_t offset, std::size_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }

    std::uint8_t U8(std::size_t offset) const {
        return Has(offset, 1) ? static_cast<std::uint8_t>(bytes_[offset]) : 0;
    }
    std::uint16_t U16(std::size_t offset) const {
        if (!Has(offset, 2)) {
            return 0;
        }
        return static_cast<std::uint16_t>(U8(offset) | (U8(offset + 1) << 8));
    }
    std::uint32_t U32(std::size_t offset) const {
        if (!Has(offset, 4)) {
            return 0;
        }
        return static_cast<std::uint32_t>(U16(offset)) |
               (static_cast<std::uint32_t>(U16(offset + 2)) << 16);
    }
    std::uint64_t U64(std::size_t offset) const {
        if (!Has(offset, 8)) {
            return 0;
        }
        return static_cast<std::uint64_t>(U32(offset)) |
               (static_cast<std::uint64_t>(U32(offset + 4)) << 32);
    }

    // True when the bytes at offset equal the text exactly (no terminator).
    bool Matches(std::size_t offset, std::string_view text) const {
        if (!Has(offset, text.size())) {
            return false;
        }
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (bytes_[offset + i] != static_cast<std::byte>(text[i])) {
                return false;
            }
        }
        return true;
    }

private:
    std::span<const std::byte> bytes_;
};

} // namespace quorvane
