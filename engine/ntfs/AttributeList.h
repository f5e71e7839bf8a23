#pragma once

#include "engine/ntfs/MftRecord.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quorvane {

// A base record whose attributes do not fit keeps an attribute list (type
// 0x20) naming the extension records that hold the rest.
struct AttributeListEntry {
    std::size_t offset = 0;           // in the list's content
    std::uint32_t type = 0;           // 0x00
    std::uint16_t length = 0;         // 0x04
    std::uint8_t nameLength = 0;      // 0x06
    std::uint64_t lowestVcn = 0;      // 0x08
    std::uint64_t recordNumber = 0;   // 0x10 the record that holds the attribute (48 bits)
    std::uint16_t recordSequence = 0; // 0x16
    std::uint16_t attributeId = 0;    // 0x18
};

// The entries of a list's content in order. A type of 0 or 0xFFFFFFFF, a
// length of 0 or shorter than an entry's fixed part, or an entry that does not
// fit the content ends the list.
std::vector<AttributeListEntry> DecodeAttributeList(std::span<const std::byte> content);

// A non-resident list is read up to this many bytes; thousands of entries fit.
inline constexpr std::uint64_t kMaxAttributeListBytes = 256 * 1024;

// At most this many records make up one file (the base record included).
inline constexpr std::size_t kMaxListedRecords = 50;

// The records holding the parts of a file: `self` first, then every other
// record the list names, each once, in list order, at most kMaxListedRecords
// in all. A list naming its own record or naming a record again adds nothing,
// so following the numbers can never loop. With `type`, only entries of that
// attribute type count.
std::vector<std::uint64_t> ListedRecords(std::uint64_t self,
                                         std::span<const AttributeListEntry> entries,
                                         std::optional<std::uint32_t> type = std::nullopt);

// Where a record keeps its attribute list: a resident list's content lies in
// the record (`content`), a non-resident one is read through its data runs
// (DecodeDataRuns at `attribute.offset`, real size `attribute.realSize`, of
// which at most kMaxAttributeListBytes are read: the size is a disk field).
struct AttributeListPlace {
    DataLocation location = DataLocation::None;
    AttributeHeader attribute;
    std::span<const std::byte> content; // resident only
};
AttributeListPlace FindAttributeList(std::span<const std::byte> record);

} // namespace quorvane
