#include "engine/ntfs/IndexRecord.h"

#include "engine/core/ByteView.h"

#include <algorithm>
#include <cstring>

namespace quorvane {

namespace {

constexpr std::size_t kSectorSize = 512;

// INDX record header.
constexpr std::size_t kVcn = 0x10;
constexpr std::size_t kEntriesOffset = 0x18; // counted from 0x18
constexpr std::size_t kEntriesSize = 0x20;   // allocated size of the entries, from 0x18
constexpr std::size_t kIndexHeaderStart = 0x18;

// Index entry; its key is a file-name content at +0x10.
constexpr std::size_t kEntryReference = 0x00;
constexpr std::size_t kEntryLength = 0x08;
constexpr std::size_t kEntryFlags = 0x0C;
constexpr std::size_t kEntryHeaderSize = 0x10;
constexpr std::size_t kKey = 0x10;
constexpr std::size_t kKeyParent = kKey + 0x00;
constexpr std::size_t kKeyNameLength = kKey + 0x40;
constexpr std::size_t kKeyName = kKey + 0x42;

constexpr std::uint32_t kFirstUserFolder = 5; // owners 0-4 are metafiles that hold no folder index
constexpr std::uint32_t kNoReference = 0xFFFFFFFFu;

} // namespace

std::optional<std::size_t> IndexRecordSize(std::span<const std::byte> firstSector) {
    const ByteView b(firstSector);
    const std::uint64_t size = static_cast<std::uint64_t>(b.U32(kEntriesSize)) + kIndexHeaderStart;
    if (size > kMaxIndexRecordSize || size < kSectorSize) {
        return std::nullopt;
    }
    // Only whole sectors are read; a partial last sector is left out.
    return static_cast<std::size_t>(size / kSectorSize * kSectorSize);
}

std::optional<IndexRecord> ReadIndexRecord(std::span<const std::byte> raw) {
    const ByteView b(raw);
    if (!b.Matches(0, "INDX")) {
        return std::nullopt;
    }
    const std::optional<std::size_t> size = IndexRecordSize(raw);
    if (!size) {
        return std::nullopt;
    }
    IndexRecord record;
    record.bytes.assign(*size, std::byte{0});
    std::memcpy(record.bytes.data(), raw.data(), std::min(*size, raw.size()));
    FixupRecord(record.bytes);
    const ByteView fixed(record.bytes);
    record.vcn = fixed.U64(kVcn);
    record.firstEntry = static_cast<std::size_t>(
        static_cast<std::uint64_t>(fixed.U32(kEntriesOffset)) + kIndexHeaderStart);
    return record;
}

std::vector<IndexEntry> WalkIndexEntries(const IndexRecord& record) {
    const ByteView b(record.bytes);
    const std::size_t size = record.bytes.size();
    std::vector<IndexEntry> entries;
    // Each step adds at least an entry header, so the offsets strictly rise.
    for (std::size_t at = record.firstEntry; at < size && size - at > kKeyNameLength;) {
        const std::uint16_t length = b.U16(at + kEntryLength);
        if (length < kEntryHeaderSize) {
            break;
        }
        const std::size_t nameLength = b.U8(at + kKeyNameLength);
        const std::size_t keyEnd = kKeyName + 2 * nameLength;
        if (length >= keyEnd) {
            if (std::optional<FileNameInfo> key = ReadFileNameContent(b, at + kKey)) {
                IndexEntry e;
                e.offset = at;
                e.fileReference = b.U64(at + kEntryReference) & kReferenceNumberMask;
                e.length = length;
                e.entryFlags = b.U16(at + kEntryFlags);
                e.key = std::move(*key);
                entries.push_back(std::move(e));
            }
        }
        at += length;
    }
    return entries;
}

std::optional<std::uint64_t> IndexRecordOwner(const IndexRecord& record) {
    const ByteView b(record.bytes);
    const std::size_t entry = record.firstEntry;
    if (entry > record.bytes.size() || !b.Has(entry + kKeyParent, 4)) {
        return std::nullopt;
    }
    const std::uint32_t owner = b.U32(entry + kKeyParent);
    if (owner < kFirstUserFolder || owner == kNoReference) {
        return std::nullopt;
    }
    if (!b.Has(entry + kKeyParent, 8)) {
        return owner;
    }
    return b.U64(entry + kKeyParent) & kReferenceNumberMask;
}

std::optional<MftRecordRow> IndexRecordRowOf(std::span<const std::byte> raw, std::uint64_t sector) {
    const std::optional<IndexRecord> record = ReadIndexRecord(raw);
    if (!record) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> owner = IndexRecordOwner(*record);
    if (!owner) {
        return std::nullopt;
    }
    MftRecordRow row;
    row.sector = sector;
    row.mftReference = static_cast<std::uint32_t>(*owner);
    row.vcn = static_cast<std::uint32_t>(record->vcn);
    row.fsNumber = MftRecordRow::kUnassigned;
    return row;
}

void AddIndexRecordRow(MftRecordTableT& table, std::size_t& rowCounter, std::uint64_t sector,
                       std::span<const std::byte> raw) {
    if (std::optional<MftRecordRow> row = IndexRecordRowOf(raw, sector)) {
        table.Insert(rowCounter, std::move(*row));
        ++rowCounter;
    }
}

} // namespace quorvane
