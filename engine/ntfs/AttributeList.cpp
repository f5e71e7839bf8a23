#include "engine/ntfs/AttributeList.h"

#include "engine/core/ByteView.h"

#include <algorithm>

namespace quorvane {

namespace {

constexpr std::size_t kEntryType = 0x00;
constexpr std::size_t kEntryLength = 0x04;
constexpr std::size_t kEntryNameLength = 0x06;
constexpr std::size_t kEntryLowestVcn = 0x08;
constexpr std::size_t kEntryReference = 0x10;
constexpr std::size_t kEntrySequence = 0x16;
constexpr std::size_t kEntryAttributeId = 0x18;
constexpr std::size_t kEntryFixedPart = 0x1A; // the name follows

constexpr std::size_t kResidentHeaderSize = 0x18;

} // namespace

std::vector<AttributeListEntry> DecodeAttributeList(std::span<const std::byte> content) {
    const ByteView b(content);
    std::vector<AttributeListEntry> entries;
    // Each entry is at least kEntryFixedPart long, so the offsets strictly rise.
    for (std::size_t at = 0; b.Has(at, kEntryFixedPart);) {
        AttributeListEntry e;
        e.offset = at;
        e.type = b.U32(at + kEntryType);
        e.length = b.U16(at + kEntryLength);
        if (e.type == 0 || e.type == kAttributeEndType || e.length < kEntryFixedPart ||
            !b.Has(at, e.length)) {
            break;
        }
        e.nameLength = b.U8(at + kEntryNameLength);
        e.lowestVcn = b.U64(at + kEntryLowestVcn);
        e.recordNumber = b.U64(at + kEntryReference) & kReferenceNumberMask;
        e.recordSequence = b.U16(at + kEntrySequence);
        e.attributeId = b.U16(at + kEntryAttributeId);
        entries.push_back(e);
        at += e.length;
    }
    return entries;
}

std::vector<std::uint64_t> ListedRecords(std::uint64_t self,
                                         std::span<const AttributeListEntry> entries,
                                         std::optional<std::uint32_t> type) {
    std::vector<std::uint64_t> records{self};
    for (const AttributeListEntry& e : entries) {
        if (records.size() >= kMaxListedRecords) {
            break;
        }
        if (type && e.type != *type) {
            continue;
        }
        // At most 50 numbers: a linear look-up stays cheap.
        if (std::find(records.begin(), records.end(), e.recordNumber) == records.end()) {
            records.push_back(e.recordNumber);
        }
    }
    return records;
}

AttributeListPlace FindAttributeList(std::span<const std::byte> record) {
    AttributeListPlace place;
    const std::optional<AttributeHeader> a = FindAttribute(record, kAttributeListType);
    if (!a) {
        return place;
    }
    place.attribute = *a;
    if (a->nonResident == 1) {
        place.location = DataLocation::NonResident;
        return place;
    }
    if (a->nonResident != 0 || a->contentOffset < static_cast<std::int16_t>(kResidentHeaderSize)) {
        return place;
    }
    const std::size_t start = a->offset + static_cast<std::size_t>(a->contentOffset);
    if (start >= record.size()) {
        return place;
    }
    // A content length past the record is cut to the record: the entries that
    // do fit are still good.
    const std::size_t length = std::min<std::size_t>(a->contentLength, record.size() - start);
    place.location = DataLocation::Resident;
    place.content = record.subspan(start, length);
    return place;
}

} // namespace quorvane
