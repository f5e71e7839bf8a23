#pragma once

#include "engine/core/CellText.h"
#include "engine/core/FileSystemKind.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace quorvane {

// A row's columns as pointers to its members, so that one pair of functions
// gives every row type its text forms: text cells as they are, unsigned
// numbers as decimal, signed 64-bit numbers as decimal64, flags as flag, file
// systems by their names.
template <typename Row>
using ColumnMember = std::variant<std::string Row::*, std::uint64_t Row::*, std::uint32_t Row::*,
                                  std::int64_t Row::*, bool Row::*, FileSystemKind Row::*>;

namespace cells {
inline std::string ToText(const std::string& v) {
    return v;
}
inline std::string ToText(std::uint64_t v) {
    return Decimal(v);
}
inline std::string ToText(std::uint32_t v) {
    return Decimal(v);
}
inline std::string ToText(std::int64_t v) {
    return Decimal64(v);
}
inline std::string ToText(bool v) {
    return Flag(v);
}
inline std::string ToText(FileSystemKind v) {
    return std::string(FileSystemName(v));
}

inline void FromText(std::string_view t, std::string& v) {
    v = t;
}
inline void FromText(std::string_view t, std::uint64_t& v) {
    v = ParseDecimal(t);
}
inline void FromText(std::string_view t, std::uint32_t& v) {
    v = static_cast<std::uint32_t>(ParseDecimal(t));
}
inline void FromText(std::string_view t, std::int64_t& v) {
    v = ParseDecimal64(t);
}
inline void FromText(std::string_view t, bool& v) {
    v = ParseFlag(t);
}
inline void FromText(std::string_view t, FileSystemKind& v) {
    v = FileSystemFromName(t);
}
} // namespace cells

template <typename Row, std::size_t N>
std::string CellOf(const Row& row, const std::array<ColumnMember<Row>, N>& columns,
                   std::size_t column) {
    if (column >= N) {
        return {};
    }
    return std::visit([&row](auto member) { return cells::ToText(row.*member); }, columns[column]);
}

template <typename Row, std::size_t N>
void SetCellOf(Row& row, const std::array<ColumnMember<Row>, N>& columns, std::size_t column,
               std::string_view text) {
    if (column < N) {
        std::visit([&](auto member) { cells::FromText(text, row.*member); }, columns[column]);
    }
}

} // namespace quorvane
