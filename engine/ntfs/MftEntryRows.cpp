#include "engine/ntfs/MftEntryRows.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace quorvane {

namespace {

constexpr std::array<std::pair<std::string_view, std::uint32_t>, 10> kMetafiles = {{
    {"$MFT", 1},
    {"$MFTMirror", 1},
    {"$LogFile", 2},
    {"$Volume", 3},
    {"$AttrDef", 4},
    {"$Bitmap", 6},
    {"$Boot", 7},
    {"$BadClus", 8},
    {"$Secure", 9},
    {"$UpCase", 10},
}};

} // namespace

MftRecordInfo DecodeMftRecord(std::span<const std::byte> record) {
    MftRecordInfo info;
    info.header = ReadMftRecordHeader(record);
    info.fileName = ReadPreferredFileName(record);
    info.dataSize = ReadDataSize(record);
    info.folder = IsFolderRecord(info.header.flags);
    info.deleted = IsDeletedRecord(info.header.flags);
    if (info.folder) {
        info.selfNumber = FolderSelfNumber(record);
        info.firstIndexCluster = FirstIndexCluster(record);
    } else if (info.fileName) {
        info.selfNumber = MetafileNumber(info.fileName->name);
    }
    return info;
}

std::uint32_t MetafileNumber(std::string_view name) {
    for (const auto& [metafile, number] : kMetafiles) {
        if (name == metafile) {
            return number;
        }
    }
    return 0;
}

MftEntryRow MftEntryRowOf(std::span<const std::byte> record, std::uint64_t sector) {
    std::array<std::byte, kMftRecordSize> copy{};
    if (!record.empty()) {
        std::memcpy(copy.data(), record.data(), std::min(record.size(), copy.size()));
    }
    FixupRecord(copy);
    const MftRecordInfo info = DecodeMftRecord(copy);

    MftEntryRow row;
    if (info.fileName) {
        row.name = info.fileName->name;
        row.parentMft = static_cast<std::uint32_t>(info.fileName->parent);
        row.date = info.fileName->creationTime;
    }
    row.sector = sector;
    row.selfMft = static_cast<std::uint32_t>(info.selfNumber);
    row.size = info.dataSize.value_or(0);
    row.type = info.folder ? "FOLDER" : "File";
    row.fsNumber = 0;
    row.firstRun = info.firstIndexCluster;
    row.deleted = info.deleted;
    return row;
}

void AddMftEntryRow(MftEntryTableT& table, std::size_t& rowCounter, std::uint64_t sector,
                    std::span<const std::byte> record) {
    table.Insert(rowCounter, MftEntryRowOf(record, sector));
    ++rowCounter;
}

} // namespace quorvane
