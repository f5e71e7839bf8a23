#include "engine/volume/PartitionWalk.h"

#include "engine/volume/BootSector.h"
#include "engine/volume/GuidPartitionTable.h"

#include <array>
#include <set>

namespace quorvane {

namespace {

constexpr std::size_t kTableOffset = 0x1BE; // four 16-byte entries
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kEntryType = 4;   // byte
constexpr std::size_t kEntryStart = 8;  // dword
constexpr std::size_t kEntryCount = 12; // dword

// Real chains hold a few dozen records; a longer one is garbage or a loop that
// visits fresh sectors, and reading on would only waste time.
constexpr std::size_t kMaxChainRecords = 1024;

// The one entry of a GUID partition table's master boot record.
constexpr std::uint8_t kProtectiveType = 0xEE;

bool IsExtended(std::uint8_t type) {
    return type == 0x05 || type == 0x0F;
}

struct Entry {
    std::uint8_t type;
    std::uint32_t start;
    std::uint32_t count;
};

Entry ReadEntry(ByteView record, int index) {
    const std::size_t at = kTableOffset + static_cast<std::size_t>(index) * kEntrySize;
    return {record.U8(at + kEntryType), record.U32(at + kEntryStart), record.U32(at + kEntryCount)};
}

using Sector = std::array<std::byte, kSectorSize>;

} // namespace

FileSystemKind DecideBootSectorFileSystem(ByteView boot) {
    if (boot.Matches(boot::kFat32Label, "FAT32")) {
        return FileSystemKind::Fat32;
    }
    if (boot.Matches(boot::kFat16Label, "FAT16")) {
        return FileSystemKind::Fat16;
    }
    if (boot.Matches(boot::kOemNtfs, "NTFS")) {
        return FileSystemKind::Ntfs;
    }
    return FileSystemKind::None;
}

FileSystemKind DecidePartitionFileSystem(ByteView boot, std::uint8_t type, bool inExtended) {
    if (const FileSystemKind kind = DecideBootSectorFileSystem(boot);
        kind != FileSystemKind::None) {
        return kind;
    }
    switch (type) {
    case 0x01:
        return inExtended ? FileSystemKind::Fat16 : FileSystemKind::None;
    case 0x04:
    case 0x06:
    case 0x0E:
        return FileSystemKind::Fat16;
    case 0x07:
        return FileSystemKind::Ntfs;
    case 0x0B:
    case 0x0C:
        return FileSystemKind::Fat32;
    default:
        return FileSystemKind::None;
    }
}

std::string PartitionItemText(std::uint32_t number, FileSystemKind fileSystem) {
    return "Partition - " + std::to_string(number) + " ( " +
           std::string(FileSystemName(fileSystem)) + " )";
}

TreeModel::Item AddTreeItem(TreeModel& tree, const std::string& text, TreeModel::Item parent) {
    return tree.AddItem(parent, text, 1, 1);
}

void WalkPartitions(SectorReader& reader, const std::string& device, DiskPartitions& disk,
                    TreeModel& tree, TreeModel::Item root, std::uint64_t tableSector) {
    // A walk lists the disk afresh: partitions of an earlier walk that this one
    // does not find again must not stay in the table.
    disk.count = 0;
    disk.defaultItem = TreeModel::kNone;
    disk.scheme = PartitionScheme::None;
    disk.gptCopy = GptCopy::None;
    disk.notes.clear();

    auto list = [&](FileSystemKind name, std::uint64_t first, std::uint32_t count,
                    std::uint8_t type, int mbrPosition) {
        PartitionInfo info;
        info.fileSystem = name;
        info.firstSector = first;
        info.endSector = first + count;
        info.typeByte = type;
        info.mbrPosition = mbrPosition;
        info.scheme = PartitionScheme::Mbr;
        info.treeItem = AddTreeItem(tree, PartitionItemText(disk.count + 1, name), root);
        if (disk.count == 0) {
            disk.defaultItem = info.treeItem;
        }
        disk.Add(info);
    };

    Sector mbr{};
    reader.ReadSectors(device, tableSector, 1, mbr);
    const ByteView mbrView(mbr);
    // Either signature byte is enough.
    if (mbrView.U8(boot::kSignature) != 0x55 && mbrView.U8(boot::kSignature + 1) != 0xAA) {
        // A GUID partition table whose master boot record was wiped is still
        // whole; anything less than a sound table leaves the disk as it was.
        if (tableSector == 0) {
            const std::uint64_t sectors = reader.DeviceSectors(device);
            const GptRead gpt = ReadGuidPartitionTable(reader, device, sectors);
            if (gpt.copy != GptCopy::Unreadable) {
                disk.notes.push_back({true, "The master boot record has no boot signature; "
                                            "the GUID partition table behind it is listed."});
                ListGuidPartitions(reader, device, sectors, gpt, disk, tree, root);
            }
        }
        tree.Expand(root);
        return;
    }
    disk.scheme = PartitionScheme::Mbr;

    int protective = 0;
    int others = 0;
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t type = ReadEntry(mbrView, i).type;
        protective += type == kProtectiveType ? 1 : 0;
        others += type != 0 && type != kProtectiveType ? 1 : 0;
    }
    if (protective > 0 && tableSector == 0) {
        const std::uint64_t sectors = reader.DeviceSectors(device);
        const GptRead gpt = ReadGuidPartitionTable(reader, device, sectors);
        const bool listed = ListGuidPartitions(reader, device, sectors, gpt, disk, tree, root);
        if (others > 0) {
            disk.notes.push_back({false, "The master boot record holds " + std::to_string(others) +
                                             " partition entr" + (others == 1 ? "y" : "ies") +
                                             " beside its protective entry (a hybrid MBR); " +
                                             (listed ? "the GUID partition table is followed."
                                                     : "they are listed instead.")});
        }
        if (listed) {
            tree.Expand(root);
            return;
        }
    }

    bool follow = false;
    std::uint64_t extendedStart = 0;
    Sector bootSector{};
    for (int i = 0; i < 4 && !disk.Full(); ++i) {
        const Entry e = ReadEntry(mbrView, i);
        if (e.type == 0) {
            continue;
        }
        reader.ReadSectors(device, e.start, 1, bootSector);
        const FileSystemKind name = DecidePartitionFileSystem(ByteView(bootSector), e.type, false);
        if (name != FileSystemKind::None) {
            list(name, e.start, e.count, e.type, i);
        }
        if (IsExtended(e.type)) {
            extendedStart = e.start; // the last extended entry wins
            follow = true;
        }
    }

    std::set<std::uint64_t> visited;
    std::uint64_t linkOffset = 0;
    while (follow && !disk.Full() && visited.size() < kMaxChainRecords) {
        follow = false;
        const std::uint64_t recordSector = extendedStart + linkOffset;
        if (!visited.insert(recordSector).second) {
            break; // the chain points back to a record already walked
        }
        Sector record{};
        reader.ReadSectors(device, recordSector, 1, record);
        const ByteView recordView(record);
        for (int i = 0; i < 2 && !disk.Full(); ++i) {
            const Entry e = ReadEntry(recordView, i);
            if (e.type == 0) {
                continue;
            }
            bootSector.fill(std::byte{0});
            const std::uint64_t first = recordSector + e.start;
            if (!IsExtended(e.type)) {
                reader.ReadSectors(device, first, 1, bootSector);
            }
            const FileSystemKind name =
                DecidePartitionFileSystem(ByteView(bootSector), e.type, true);
            if (name != FileSystemKind::None) {
                list(name, first, e.count, e.type, -1);
            }
            if (IsExtended(e.type)) {
                linkOffset = e.start;
                follow = true;
            }
        }
    }
    tree.Expand(root);
}

TreeModel::Item BuildPartitionTree(SectorReader& reader, std::uint16_t diskNumber,
                                   DiskPartitionTable& table, TreeModel& tree) {
    reader.DropCache();
    tree.Clear();
    const TreeModel::Item root =
        tree.AddItem(TreeModel::kNone, "Disk " + std::to_string(diskNumber), 2, 2);
    tree.SetCheckState(root, TreeModel::kUnchecked);
    WalkPartitions(reader, DeviceNameTable::NameOf(diskNumber), table[diskNumber], tree, root);
    return root;
}

} // namespace quorvane
