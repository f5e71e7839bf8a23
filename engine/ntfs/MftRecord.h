#pragma once

#include "engine/core/ByteView.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quorvane {

// One MFT "FILE" record as the scan and the analysis take it: two sectors.
inline constexpr std::size_t kMftRecordSize = 1024;

// Attribute types the decoders look for.
inline constexpr std::uint32_t kAttributeListType = 0x20;
inline constexpr std::uint32_t kFileNameType = 0x30;
inline constexpr std::uint32_t kDataType = 0x80;
inline constexpr std::uint32_t kIndexRootType = 0x90;
inline constexpr std::uint32_t kIndexAllocationType = 0xA0;
inline constexpr std::uint32_t kAttributeEndType = 0xFFFFFFFF;

// MFT numbers and parents are the low 48 bits of a file reference.
inline constexpr std::uint64_t kReferenceNumberMask = 0x0000FFFFFFFFFFFFull;

// Record flags (the byte at 0x16).
inline constexpr std::uint8_t kRecordInUse = 0x01;
inline constexpr std::uint8_t kRecordIsFolder = 0x02;

struct MftRecordHeader {
    bool isFile = false;             // 0x00 "FILE"
    std::uint16_t usaOffset = 0;     // 0x04 update sequence array offset
    std::uint16_t usaCount = 0;      // 0x06 update sequence array count
    std::uint16_t sequence = 0;      // 0x10 sequence number (reuse count)
    std::uint16_t linkCount = 0;     // 0x12 hard links
    std::int16_t firstAttribute = 0; // 0x14 offset of the first attribute (signed)
    std::uint8_t flags = 0;          // 0x16 0x01 in use, 0x02 directory
    std::uint32_t bytesInUse = 0;    // 0x18
    std::uint16_t allocatedSize = 0; // 0x1C (low 16 bits; 1024 for the records the scan takes)
    std::uint64_t baseRecord = 0;    // 0x20 0 for a base record, else its base's MFT number
    // 0x2C the record's own MFT number, written by NTFS 3.1 and later, whose
    // header is long enough to hold it (update sequence array at 0x30 or beyond).
    std::optional<std::uint32_t> recordNumber;
};
MftRecordHeader ReadMftRecordHeader(std::span<const std::byte> record);

// Flags 3 (in use) and 2 (not in use) make a folder; any other value a file,
// which is deleted when the flags are 0.
bool IsFolderRecord(std::uint8_t flags);
bool IsDeletedRecord(std::uint8_t flags);

// Restores the sector tails of a record in place from its update sequence
// array: with a count of k, the tails of the first k - 2 sectors are restored
// (for a 1024-byte record only bytes 510-511; bytes 1022-1023 keep the
// sequence number). The sequence number is not compared with the tails. A
// count or offset that does not fit the buffer leaves it as it is.
void FixupRecord(std::span<std::byte> record);

// The header fields of the attribute at `offset`. Both forms are read; the
// caller picks by `nonResident`.
struct AttributeHeader {
    std::size_t offset = 0;
    std::uint32_t type = 0;            // 0x00
    std::uint32_t length = 0;          // 0x04
    std::uint8_t nonResident = 0;      // 0x08 0 resident, 1 non-resident
    std::uint8_t nameLength = 0;       // 0x09 characters, 0 unnamed
    std::uint16_t nameOffset = 0;      // 0x0A
    std::uint16_t flags = 0;           // 0x0C 0x0001 compressed, 0x4000 encrypted, 0x8000 sparse
    std::uint32_t contentLength = 0;   // 0x10 resident
    std::int16_t contentOffset = 0;    // 0x14 resident (signed)
    std::uint64_t lowestVcn = 0;       // 0x10 non-resident
    std::uint64_t highestVcn = 0;      // 0x18 non-resident
    std::uint16_t runOffset = 0;       // 0x20 non-resident
    std::uint64_t allocatedSize = 0;   // 0x28 non-resident
    std::uint64_t realSize = 0;        // 0x30 non-resident
    std::uint64_t initializedSize = 0; // 0x38 non-resident
};
AttributeHeader ReadAttributeHeader(ByteView record, std::size_t offset);

// The bounds of one walk over a record's attributes. Each decoder keeps its
// own: the walk starts only when the first attribute's offset is at most
// `firstOffsetMax`; it ends at type 0 or 0xFFFFFFFF, at length 0, at a length
// above `lengthMax` (`namedDataLengthMax` for a named data attribute), and
// when the next offset reaches `nextOffsetEnd`. Lengths are never 0, so the
// offsets strictly increase and a walk takes at most `nextOffsetEnd` steps.
struct AttributeWalkLimits {
    std::size_t firstOffsetMax;
    std::uint32_t lengthMax;
    std::uint32_t namedDataLengthMax;
    std::size_t nextOffsetEnd;
};
inline constexpr AttributeWalkLimits kFileNameWalk{1023, 1024, 1024, 1024};
inline constexpr AttributeWalkLimits kDataSizeWalk{1022, 1024, 1023, 1023};
inline constexpr AttributeWalkLimits kDataAttributeWalk{1022, 1022, 1023, 1023};

inline constexpr std::size_t kFirstAttributeOffset = 0x14;

// Calls visit(header) for each attribute until it returns true or the walk ends.
template <typename Visit>
void WalkAttributes(ByteView record, const AttributeWalkLimits& limits, Visit&& visit) {
    const auto first = static_cast<std::int16_t>(record.U16(kFirstAttributeOffset));
    if (first < 0 || static_cast<std::size_t>(first) > limits.firstOffsetMax) {
        return;
    }
    std::size_t offset = static_cast<std::size_t>(first);
    for (;;) {
        const AttributeHeader a = ReadAttributeHeader(record, offset);
        if (a.type == 0 || a.type == kAttributeEndType || a.length == 0) {
            return;
        }
        const bool namedData = a.type == kDataType && a.nameLength != 0;
        if (a.length > (namedData ? limits.namedDataLengthMax : limits.lengthMax)) {
            return;
        }
        if (visit(a)) {
            return;
        }
        const std::uint64_t next = static_cast<std::uint64_t>(offset) + a.length;
        if (next >= limits.nextOffsetEnd) {
            return;
        }
        offset = static_cast<std::size_t>(next);
    }
}

// The first attribute of `type` (named or not) under the file-name walk's bounds.
std::optional<AttributeHeader> FindAttribute(std::span<const std::byte> record, std::uint32_t type);

// Namespaces of a file name.
inline constexpr std::uint8_t kPosixNameSpace = 0;
inline constexpr std::uint8_t kWin32NameSpace = 1;
inline constexpr std::uint8_t kDosNameSpace = 2;
inline constexpr std::uint8_t kWin32AndDosNameSpace = 3;

// A file-name content: the content of a file-name attribute, and the key of
// every entry of a folder's index.
struct FileNameInfo {
    std::string name;                 // 0x42 UTF-8; control characters escaped, nothing cut
    std::uint64_t parent = 0;         // 0x00 the parent folder's MFT number (48 bits)
    std::uint16_t parentSequence = 0; // 0x06
    std::int64_t creationTime = 0;    // 0x08 100-ns units since 1601, UTC
    std::uint32_t fileFlags = 0;      // 0x38 0x10000000: a folder
    std::uint8_t nameSpace = 0;       // 0x41

    bool IsFolder() const { return (fileFlags & 0x10000000u) != 0; }
};

// The file-name content at `offset`; nothing when its name does not fit the buffer.
std::optional<FileNameInfo> ReadFileNameContent(ByteView bytes, std::size_t offset);

// The first unnamed file-name attribute of the namespace. Nothing when there is
// none, or when the first unnamed file-name attribute met whose content offset
// leaves the record or whose name does not fit ends the search.
std::optional<FileNameInfo> ReadFileName(std::span<const std::byte> record, std::uint8_t nameSpace);

// The name every listing uses: Win32 (1), then Win32 and DOS (3), then POSIX
// (0), then DOS (2). Long names come before the short DOS name; POSIX names
// are what hard links and Linux-written volumes carry.
std::optional<FileNameInfo> ReadPreferredFileName(std::span<const std::byte> record);

// The size of the unnamed data attribute: its real size (64 bits) when
// non-resident, its content length when resident. Named streams are passed over.
std::optional<std::uint64_t> ReadDataSize(std::span<const std::byte> record);

enum class DataLocation { None = 0, Resident = 1, NonResident = 2 };
struct DataAttribute {
    DataLocation location = DataLocation::None;
    std::size_t offset = 0; // the attribute's offset in the record
};
// The unnamed data attribute; None also when its resident flag is neither 0 nor 1.
DataAttribute FindDataAttribute(std::span<const std::byte> record);

// Where FindNamedI30 looks for an attribute's name: 0x18 for the index root
// (resident), 0x40 for the index allocation (non-resident).
enum class I30NameAt { Resident, NonResident };
// The offset of the first attribute of `type` named "$I30", or 0. The record's
// length is the span's.
std::size_t FindNamedI30(std::span<const std::byte> record, std::uint32_t type, I30NameAt form);

// A folder's own MFT number (48 bits), read from the parent reference of the
// first entry in its index root; 0 when the root holds no entry.
std::uint64_t FolderSelfNumber(std::span<const std::byte> record);

// The first cluster of a folder's index allocation (the first run's start
// field, unsigned, up to 8 bytes); 0 when the folder has none.
std::uint64_t FirstIndexCluster(std::span<const std::byte> record);

} // namespace quorvane
