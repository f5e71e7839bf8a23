#include "engine/core/CellText.h"

#include <charconv>
#include <limits>

namespace quorvane {

std::string Decimal(std::uint64_t value) {
    return std::to_string(value);
}
std::string Decimal16(std::uint16_t value) {
    return std::to_string(value);
}
std::string Decimal64(std::int64_t value) {
    return std::to_string(value);
}
std::string Flag(bool set) {
    return set ? "1" : "";
}

std::uint64_t ParseDecimal(std::string_view text) {
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
            return std::numeric_limits<std::uint64_t>::max();
        }
        value = value * 10 + digit;
    }
    return value;
}

std::int64_t ParseDecimal64(std::string_view text) {
    std::int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

bool ParseFlag(std::string_view text) {
    return !text.empty() && text[0] == '1';
}

std::string CutToBuffer(std::string_view text, std::size_t bufferSize) {
    if (bufferSize == 0) {
        return {};
    }
    return std::string(text.substr(0, bufferSize - 1));
}

} // namespace quorvane
