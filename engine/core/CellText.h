#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

// Text forms of table cells. Every number a table holds is written in one of
// these forms wherever a cell is shown, stored or compared as text.
//   decimal   unsigned, no padding ("%lu"); -1 reads 4294967295
//   decimal16 a 16-bit word taken as unsigned
//   decimal64 signed 64-bit (NTFS time stamps, raw)
//   flag      "1" when set, empty otherwise
std::string Decimal(std::uint64_t value);
std::string Decimal16(std::uint16_t value);
std::string Decimal64(std::int64_t value);
std::string Flag(bool set);

// Readers convert cells back the way the C library does: leading digits only,
// anything else (an empty cell included) gives 0.
std::uint64_t ParseDecimal(std::string_view text);
std::int64_t ParseDecimal64(std::string_view text);
bool ParseFlag(std::string_view text);

// A cell read into a caller's buffer of `bufferSize` bytes: cut to bufferSize - 1.
std::string CutToBuffer(std::string_view text, std::size_t bufferSize);

} // namespace quorvane
