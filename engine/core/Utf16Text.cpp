#include "engine/core/Utf16Text.h"

#include <cstdint>

namespace quorvane {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void AppendEscape(std::string& out, std::uint32_t c) {
    if (c < 0x100) {
        out += "\\x";
        out.push_back(kHex[(c >> 4) & 0xF]);
        out.push_back(kHex[c & 0xF]);
        return;
    }
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out.push_back(kHex[(c >> shift) & 0xF]);
    }
}

bool IsHighSurrogate(std::uint32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(std::uint32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Calls emit(code point, unpaired) for every character of the text.
template <typename Emit> void ForEachCodePoint(std::u16string_view text, Emit emit) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
            emit(c, false);
        } else {
            emit(c, IsHighSurrogate(c) || IsLowSurrogate(c));
        }
    }
}

} // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachCodePoint(
        text, [&](std::uint32_t c, bool unpaired) { AppendUtf8(out, unpaired ? 0xFFFD : c); });
    return out;
}

std::string Utf16ToEscapedUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachCodePoint(text, [&](std::uint32_t c, bool unpaired) {
        if (unpaired || c < 0x20 || (c >= 0x7F && c < 0xA0)) {
            AppendEscape(out, c);
        } else {
            AppendUtf8(out, c);
        }
    });
    return out;
}

} // namespace quorvane
