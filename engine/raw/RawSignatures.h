#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorvane {

using namespace std::string_view_literals;

// The file types of raw recovery, in the order of FileTypeList's rows (the
// type number is the row index).
enum class RawFileType : int { Word = 0, Excel = 1, PowerPoint = 2, Zip = 3 };
inline constexpr std::size_t kRawTypeCount = 4;

struct RawFileTypeInfo {
    std::string_view rowText;
    std::string_view stem;
    std::string_view extension;
    std::string_view totalText;
    std::string_view option; // the command line's name of the type
};

inline constexpr std::array<RawFileTypeInfo, kRawTypeCount> kRawFileTypes = {{
    {"Microsoft Word File(s) (.DOC)", "DOC", ".DOC", "Total Word File(s) Recovered :  ", "doc"},
    {"Microsoft Excel File(s) (.XLS)", "XLS", ".XLS", "Total Excel File(s) Recovered :  ", "xls"},
    {"Microsoft PowerPoint File(s) (.PPT)", "PPT", ".PPT",
     "Total PowerPoint File(s) Recovered :  ", "ppt"},
    {"Compressed File(s) (.Zip)", "ZIP", ".ZIP", "Total Zip File(s) Recovered :  ", "zip"},
}};

inline const RawFileTypeInfo& InfoOf(RawFileType type) {
    return kRawFileTypes[static_cast<std::size_t>(type)];
}

// One entry of the signature table: a start signature, looked for at the
// first byte of every sector, and a marker, looked for at every byte, that
// stands for `type`.
struct RawSignature {
    std::string_view start;
    std::string_view marker;
    RawFileType type;
};

inline constexpr std::string_view kCompoundSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv;
inline constexpr std::string_view kExcelWorksheetMarker = "Microsoft Excel Workshet\x00\x06"sv;
// UTF-16 little-endian, ending after the last character's first byte.
inline constexpr std::string_view kWorkbookMarker = "W\0o\0r\0k\0b\0o\0o\0k"sv;
inline constexpr std::string_view kPowerPointMarker =
    "P\0o\0w\0e\0r\0P\0o\0i\0n\0t\0 \0D\0o\0c\0u\0m\0e\0n\0t"sv;

inline constexpr std::array<RawSignature, 6> RawSignatureTable = {{
    {kCompoundSignature, "Word.Document"sv, RawFileType::Word},
    {kCompoundSignature, kWorkbookMarker, RawFileType::Excel},
    {kCompoundSignature, kExcelWorksheetMarker, RawFileType::Excel},
    {kCompoundSignature, kPowerPointMarker, RawFileType::PowerPoint},
    {"Microsoft Excel 5.0"sv, kExcelWorksheetMarker, RawFileType::Excel},
    // "PK" 3 4 and the version needed to extract (1.0); see IsRawStartAt for
    // the versions accepted.
    {"PK\x03\x04\x0A"sv, "PK\x05\x06\x00"sv, RawFileType::Zip},
}};
inline constexpr std::size_t kRawEntryCount = RawSignatureTable.size();

// What a start signature says a file is. Entries 0 to 3 share one start, so
// a compound file is one candidate, ended by any of their markers.
enum class RawStartKind : int { Compound = 0, Excel5 = 1, Zip = 2 };

// The table entries whose start signature a file of this kind carries.
struct RawEntryRange {
    std::size_t first;
    std::size_t last; // inclusive
};
constexpr RawEntryRange EntriesOf(RawStartKind kind) {
    switch (kind) {
    case RawStartKind::Compound:
        return {0, 3};
    case RawStartKind::Excel5:
        return {4, 4};
    case RawStartKind::Zip:
        break;
    }
    return {5, 5};
}

// The type of a file whose end no marker gave: that of the first entry of
// its kind (an undetermined compound file is taken as Word).
constexpr RawFileType DefaultTypeOf(RawStartKind kind) {
    return RawSignatureTable[EntriesOf(kind).first].type;
}

// The kind of file whose start signature stands at the first byte of
// `sector`, if any. A ZIP start is "PK" 3 4 followed by a version needed of
// 1.0, 2.0 (deflated entries) or 4.5 (zip64) and a zero byte.
bool IsRawStartAt(std::span<const std::byte> sector, RawStartKind& kind);

// The writer's type check over the first ten sectors of a compound file:
// "Microsoft Excel 5.0" at byte 2080 or "Microsoft Excel" at 4768 make it
// Excel, else the UTF-16 "PowerPoint Document" at 1152 makes it PowerPoint;
// otherwise `type` stays.
inline constexpr std::size_t kTypeCheckSectors = 10;
inline constexpr std::size_t kExcel5Offset = 2080;
inline constexpr std::size_t kExcelOffset = 4768;
inline constexpr std::size_t kPowerPointOffset = 1152;
RawFileType CheckRawType(std::span<const std::byte> firstSectors, RawFileType type);

} // namespace quorvane
