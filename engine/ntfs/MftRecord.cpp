#include "engine/ntfs/MftRecord.h"

#include "engine/core/Utf16Text.h"
#include "engine/ntfs/DataRuns.h"

#include <array>
#include <string>

namespace quorvane {

namespace {

// FILE record header.
constexpr std::size_t kUsaOffset = 0x04;
constexpr std::size_t kUsaCount = 0x06;
constexpr std::size_t kSequence = 0x10;
constexpr std::size_t kLinkCount = 0x12;
constexpr std::size_t kFlags = 0x16;
constexpr std::size_t kBytesInUse = 0x18;
constexpr std::size_t kAllocatedSize = 0x1C;
constexpr std::size_t kBaseRecord = 0x20;
constexpr std::size_t kRecordNumber = 0x2C;
constexpr std::size_t kRecordNumberHeaderEnd = 0x30;

// Update sequence: the last two bytes of every 512-byte stride.
constexpr std::size_t kStride = 512;
constexpr std::size_t kTail = 510;

// Attribute header.
constexpr std::size_t kAttrType = 0x00;
constexpr std::size_t kAttrLength = 0x04;
constexpr std::size_t kAttrNonResident = 0x08;
constexpr std::size_t kAttrNameLength = 0x09;
constexpr std::size_t kAttrNameOffset = 0x0A;
constexpr std::size_t kAttrFlags = 0x0C;
constexpr std::size_t kAttrContentLength = 0x10;
constexpr std::size_t kAttrContentOffset = 0x14;
constexpr std::size_t kAttrLowestVcn = 0x10;
constexpr std::size_t kAttrHighestVcn = 0x18;
constexpr std::size_t kAttrRunOffset = 0x20;
constexpr std::size_t kAttrAllocatedSize = 0x28;
constexpr std::size_t kAttrRealSize = 0x30;
constexpr std::size_t kAttrInitializedSize = 0x38;
constexpr std::size_t kResidentHeaderSize = 0x18;
// Where FindNamedI30 expects the name of each form.
constexpr std::size_t kResidentNameAt = 0x18;
constexpr std::size_t kNonResidentNameAt = 0x40;

// File-name content.
constexpr std::size_t kFnParent = 0x00;
constexpr std::size_t kFnParentSequence = 0x06;
constexpr std::size_t kFnCreationTime = 0x08;
constexpr std::size_t kFnFileFlags = 0x38;
constexpr std::size_t kFnNameLength = 0x40;
constexpr std::size_t kFnNameSpace = 0x41;
constexpr std::size_t kFnName = 0x42;

// The resident file-name content must start inside the first 1023 bytes.
constexpr std::size_t kContentStartLimit = 1023;

// Index root $I30: the first index entry sits 64 bytes into the attribute
// (24 bytes of header, 8 of the name, 16 of root header, 16 of index header);
// its key, a file-name content, at entry + 16.
constexpr std::size_t kRootFirstEntry = 64;
constexpr std::size_t kEntryKey = 16;
constexpr std::size_t kSelfEntryLimit = 1023;
// FirstIndexCluster's limits on the attribute and its run list.
constexpr std::size_t kAllocationLimit = 1023;
constexpr std::size_t kRunListLimit = 1024;

constexpr std::array<char16_t, 4> kI30 = {u'$', u'I', u'3', u'0'};

} // namespace

std::optional<FileNameInfo> ReadFileNameContent(ByteView b, std::size_t content) {
    const std::size_t length = b.U8(content + kFnNameLength);
    if (!b.Has(content + kFnName, 2 * length)) {
        return std::nullopt;
    }
    std::u16string units(length, u'\0');
    for (std::size_t i = 0; i < length; ++i) {
        units[i] = static_cast<char16_t>(b.U16(content + kFnName + 2 * i));
    }
    FileNameInfo info;
    info.name = Utf16ToEscapedUtf8(units);
    info.parent = b.U64(content + kFnParent) & kReferenceNumberMask;
    info.parentSequence = b.U16(content + kFnParentSequence);
    info.creationTime = static_cast<std::int64_t>(b.U64(content + kFnCreationTime));
    info.fileFlags = b.U32(content + kFnFileFlags);
    info.nameSpace = b.U8(content + kFnNameSpace);
    return info;
}

MftRecordHeader ReadMftRecordHeader(std::span<const std::byte> record) {
    const ByteView b(record);
    MftRecordHeader h;
    h.isFile = b.Matches(0, "FILE");
    h.usaOffset = b.U16(kUsaOffset);
    h.usaCount = b.U16(kUsaCount);
    h.sequence = b.U16(kSequence);
    h.linkCount = b.U16(kLinkCount);
    h.firstAttribute = static_cast<std::int16_t>(b.U16(kFirstAttributeOffset));
    h.flags = b.U8(kFlags);
    h.bytesInUse = b.U32(kBytesInUse);
    h.allocatedSize = b.U16(kAllocatedSize);
    h.baseRecord = b.U64(kBaseRecord) & kReferenceNumberMask;
    if (h.usaOffset >= kRecordNumberHeaderEnd && b.Has(kRecordNumber, 4)) {
        h.recordNumber = b.U32(kRecordNumber);
    }
    return h;
}

bool IsFolderRecord(std::uint8_t flags) {
    return flags == (kRecordInUse | kRecordIsFolder) || flags == kRecordIsFolder;
}

bool IsDeletedRecord(std::uint8_t flags) {
    return IsFolderRecord(flags) ? flags == kRecordIsFolder : flags == 0;
}

void FixupRecord(std::span<std::byte> record) {
    const ByteView b(record);
    const std::size_t size = record.size();
    const std::size_t offset = b.U16(kUsaOffset);
    const std::size_t count = b.U16(kUsaCount);
    if (count < 2) {
        return; // no sector to restore
    }
    const std::size_t sectors = count - 2;
    if (sectors > size || offset + 2 > size) {
        return;
    }
    for (std::size_t i = 0; i < sectors; ++i) {
        const std::size_t tail = kTail + kStride * i;
        const std::size_t saved = offset + 2 + 2 * i;
        // Both the tail and its saved copy must lie inside the record.
        if (!b.Has(tail, 2) || !b.Has(saved, 2)) {
            break;
        }
        record[tail] = record[saved];
        record[tail + 1] = record[saved + 1];
    }
}

AttributeHeader ReadAttributeHeader(ByteView b, std::size_t offset) {
    AttributeHeader a;
    a.offset = offset;
    a.type = b.U32(offset + kAttrType);
    a.length = b.U32(offset + kAttrLength);
    a.nonResident = b.U8(offset + kAttrNonResident);
    a.nameLength = b.U8(offset + kAttrNameLength);
    a.nameOffset = b.U16(offset + kAttrNameOffset);
    a.flags = b.U16(offset + kAttrFlags);
    a.contentLength = b.U32(offset + kAttrContentLength);
    a.contentOffset = static_cast<std::int16_t>(b.U16(offset + kAttrContentOffset));
    a.lowestVcn = b.U64(offset + kAttrLowestVcn);
    a.highestVcn = b.U64(offset + kAttrHighestVcn);
    a.runOffset = b.U16(offset + kAttrRunOffset);
    a.allocatedSize = b.U64(offset + kAttrAllocatedSize);
    a.realSize = b.U64(offset + kAttrRealSize);
    a.initializedSize = b.U64(offset + kAttrInitializedSize);
    return a;
}

std::optional<AttributeHeader> FindAttribute(std::span<const std::byte> record,
                                             std::uint32_t type) {
    std::optional<AttributeHeader> found;
    WalkAttributes(ByteView(record), kFileNameWalk, [&](const AttributeHeader& a) {
        if (a.type == type) {
            found = a;
        }
        return found.has_value();
    });
    return found;
}

std::optional<FileNameInfo> ReadFileName(std::span<const std::byte> record,
                                         std::uint8_t nameSpace) {
    const ByteView b(record);
    std::optional<FileNameInfo> result;
    WalkAttributes(b, kFileNameWalk, [&](const AttributeHeader& a) {
        if (a.type != kFileNameType || a.nameLength != 0) {
            return false;
        }
        // A content offset inside the attribute's own header, or one that
        // points before it, is as corrupt as one past the record: it ends the
        // search like the latter.
        if (a.contentOffset < static_cast<std::int16_t>(kResidentHeaderSize) ||
            a.offset + static_cast<std::size_t>(a.contentOffset) > kContentStartLimit) {
            return true;
        }
        const std::size_t content = a.offset + static_cast<std::size_t>(a.contentOffset);
        if (b.U8(content + kFnNameSpace) != nameSpace) {
            return false;
        }
        result = ReadFileNameContent(b, content);
        return true;
    });
    return result;
}

std::optional<FileNameInfo> ReadPreferredFileName(std::span<const std::byte> record) {
    for (const std::uint8_t ns :
         {kWin32NameSpace, kWin32AndDosNameSpace, kPosixNameSpace, kDosNameSpace}) {
        if (std::optional<FileNameInfo> name = ReadFileName(record, ns)) {
            return name;
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> ReadDataSize(std::span<const std::byte> record) {
    std::optional<std::uint64_t> size;
    WalkAttributes(ByteView(record), kDataSizeWalk, [&](const AttributeHeader& a) {
        if (a.type != kDataType || a.nameLength != 0) {
            return false;
        }
        size = a.nonResident == 1 ? a.realSize : a.contentLength;
        return true;
    });
    return size;
}

DataAttribute FindDataAttribute(std::span<const std::byte> record) {
    DataAttribute found;
    WalkAttributes(ByteView(record), kDataAttributeWalk, [&](const AttributeHeader& a) {
        if (a.type != kDataType || a.nameLength != 0) {
            return false;
        }
        if (a.nonResident == 0) {
            found = {DataLocation::Resident, a.offset};
        } else if (a.nonResident == 1) {
            found = {DataLocation::NonResident, a.offset};
        }
        return true;
    });
    return found;
}

std::size_t FindNamedI30(std::span<const std::byte> record, std::uint32_t type, I30NameAt form) {
    const ByteView b(record);
    const std::uint64_t size = record.size();
    const auto first = static_cast<std::int16_t>(b.U16(kFirstAttributeOffset));
    if (first < 0 || size < 8) {
        return 0;
    }
    const bool nonResident = form == I30NameAt::NonResident;
    const std::size_t nameAt = nonResident ? kNonResidentNameAt : kResidentNameAt;
    // The offset rises by a non-zero length each step and the loop ends once
    // the attribute's type cannot be read: at most size / 1 steps.
    for (std::uint64_t offset = static_cast<std::uint64_t>(first); offset + 4 <= size;) {
        const std::uint32_t t = b.U32(offset);
        if (t == 0 || t == kAttributeEndType || offset + 8 > size) {
            return 0;
        }
        const std::uint32_t length = b.U32(offset + kAttrLength);
        if (t == type && b.U8(offset + kAttrNameLength) == kI30.size()) {
            bool match = true;
            for (std::size_t i = 0; i < kI30.size(); ++i) {
                match = match && b.U16(offset + nameAt + 2 * i) == kI30[i];
            }
            if (match) {
                return static_cast<std::size_t>(offset);
            }
        }
        if (length == 0) {
            return 0;
        }
        const std::uint64_t next = offset + length;
        if (nonResident && (length >= size - 1 || next >= size - 1)) {
            return 0;
        }
        offset = next;
    }
    return 0;
}

std::uint64_t FolderSelfNumber(std::span<const std::byte> record) {
    const ByteView b(record);
    const std::size_t root = FindNamedI30(record, kIndexRootType, I30NameAt::Resident);
    if (root == 0) {
        return 0;
    }
    const std::size_t entry = root + kRootFirstEntry;
    if (entry >= kSelfEntryLimit || b.U8(entry + kEntryKey + kFnNameLength) == 0) {
        return 0; // the root holds only its end entry
    }
    const std::uint64_t parent = b.U64(entry + kEntryKey + kFnParent) & kReferenceNumberMask;
    return (parent & 0xFFFFFFFFu) == 0xFFFFFFFFu ? 0 : parent;
}

std::uint64_t FirstIndexCluster(std::span<const std::byte> record) {
    const ByteView b(record);
    const std::size_t alloc = FindNamedI30(record, kIndexAllocationType, I30NameAt::NonResident);
    if (alloc == 0 || alloc >= kAllocationLimit) {
        return 0;
    }
    const std::size_t runs = alloc + b.U16(alloc + kAttrRunOffset);
    if (runs >= kRunListLimit || runs >= record.size()) {
        return 0;
    }
    return FirstRunStart(record.subspan(runs));
}

} // namespace quorvane
