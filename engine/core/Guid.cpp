#include "engine/core/Guid.h"

#include <charconv>

namespace quorvane {

namespace {

// Text position of every stored byte: the first three fields are written most
// significant byte first, so their bytes appear in reverse order.
constexpr std::array<std::size_t, 16> kTextOrder = {3, 2, 1,  0,  5,  4,  7,  6,
                                                    8, 9, 10, 11, 12, 13, 14, 15};
constexpr std::size_t kTextLength = 36;

constexpr bool IsDash(std::size_t i) {
    return i == 8 || i == 13 || i == 18 || i == 23;
}

} // namespace

std::string Guid::Text() const {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(kTextLength);
    for (std::size_t k = 0; k < kTextOrder.size(); ++k) {
        if (k == 4 || k == 6 || k == 8 || k == 10) {
            text += '-';
        }
        const std::uint8_t b = bytes[kTextOrder[k]];
        text += kHex[b >> 4];
        text += kHex[b & 0xF];
    }
    return text;
}

Guid Guid::FromText(std::string_view text) {
    if (text.size() != kTextLength) {
        return {};
    }
    std::array<std::uint8_t, 16> inTextOrder{};
    std::size_t k = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (IsDash(i)) {
            if (text[i] != '-') {
                return {};
            }
            ++i;
            continue;
        }
        const char* end = text.data() + i + 2;
        const auto [stop, ec] = std::from_chars(text.data() + i, end, inTextOrder[k++], 16);
        if (ec != std::errc() || stop != end) {
            return {};
        }
        i += 2;
    }
    Guid g;
    for (std::size_t j = 0; j < kTextOrder.size(); ++j) {
        g.bytes[kTextOrder[j]] = inTextOrder[j];
    }
    return g;
}

} // namespace quorvane
