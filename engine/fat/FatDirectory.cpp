#include "engine/fat/FatDirectory.h"

#include "engine/core/CellText.h"
#include "engine/core/Utf16Text.h"
#include "engine/fat/FatChain.h"
#include "engine/fat/FatListText.h"

#include <array>
#include <cstring>

namespace quorvane {

namespace {

using SectorBytes = std::array<std::byte, kSectorSize>;

// Offsets of the 13 UTF-16 units of a long-name entry.
constexpr std::array<std::size_t, 13> kLongNameUnits = {1,  3,  5,  7,  9,  14, 16,
                                                        18, 20, 22, 24, 28, 30};
constexpr std::size_t kSequence = 0;
constexpr std::uint8_t kLastLongEntry = 0x40;
constexpr std::size_t kMaxLongNameUnits = 255;

// Reads one sector; an unreadable sector or one past the end of the disk reads
// as zeros, which every caller takes as the end of a directory.
void ReadSector(SectorReader& reader, const std::string& device, std::uint64_t sector,
                SectorBytes& out) {
    out.fill(std::byte{0});
    if (sector >= reader.DeviceSectors(device)) {
        return;
    }
    reader.ReadSectors(device, sector, 1, out);
}

// Name bytes without blanks, cut at a NUL as the text of a C string would be.
std::string CompactBytes(ByteView b, std::size_t offset, std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t c = b.U8(offset + i);
        if (c == 0) {
            break;
        }
        if (c != 0x20) {
            text.push_back(static_cast<char>(c));
        }
    }
    return text;
}

// The short-name filter with bytes 0x80-0xFF allowed: the short name of a file
// with a non-ASCII long name holds OEM code-page bytes.
bool IsPlausibleShortName(std::string_view name) {
    for (const char ch : name) {
        const unsigned c = static_cast<unsigned char>(ch);
        if (c >= 128) {
            continue;
        }
        const char one[1] = {ch};
        if (!IsValidEntryName(std::string_view(one, 1))) {
            return false;
        }
    }
    return true;
}

} // namespace

DirectorySectors::DirectorySectors(std::vector<std::uint64_t> sectors)
    : sectors_(std::move(sectors)) {
    index_.reserve(sectors_.size());
    for (std::size_t i = 0; i < sectors_.size(); ++i) {
        index_.try_emplace(sectors_[i], i);
    }
}

PreviousSector DirectorySectors::Previous() const {
    return [this](std::uint64_t sector) -> std::optional<std::uint64_t> {
        const auto it = index_.find(sector);
        if (it == index_.end() || it->second == 0) {
            return std::nullopt;
        }
        return sectors_[it->second - 1];
    };
}

std::optional<std::u16string> ReadLongName(SectorReader& reader, const std::string& device,
                                           std::span<const std::byte> sectorBytes,
                                           std::size_t entryOffset, std::uint64_t sector,
                                           const PreviousSector& previous) {
    if (entryOffset % kDirEntrySize != 0 || entryOffset >= kSectorSize) {
        return std::nullopt;
    }
    SectorBytes copy{};
    std::memcpy(copy.data(), sectorBytes.data(), std::min(sectorBytes.size(), copy.size()));
    std::u16string name;
    std::size_t offset = entryOffset;
    std::uint64_t current = sector;
    unsigned ordinal = 1;
    auto found = [&]() -> std::optional<std::u16string> {
        // A long name of no characters names nothing: the short name stays.
        if (name.empty()) {
            return std::nullopt;
        }
        return name;
    };
    while (true) {
        if (offset == 0) {
            std::optional<std::uint64_t> before;
            if (previous) {
                before = previous(current);
            } else if (current > 0) {
                before = current - 1;
            }
            if (!before) {
                return found(); // nothing lies before the directory's first sector
            }
            current = *before;
            ReadSector(reader, device, current, copy);
            offset = kSectorSize - kDirEntrySize;
        } else {
            offset -= kDirEntrySize;
        }
        const ByteView e(std::span<const std::byte>(copy).subspan(offset, kDirEntrySize));
        if (e.U8(dirent::kAttributes) != dirent::kLongNameAttributes) {
            return found();
        }
        for (const std::size_t unit : kLongNameUnits) {
            const char16_t c = static_cast<char16_t>(e.U16(unit));
            if (c == 0) {
                return found();
            }
            name.push_back(c);
        }
        if (e.U8(kSequence) == kLastLongEntry + ordinal) {
            return found();
        }
        ++ordinal;
        if (name.size() > kMaxLongNameUnits) {
            return found();
        }
    }
}

EntryKind DecodeDirEntry(SectorReader& reader, const std::string& device, bool fat32,
                         ByteView sectorBytes, std::uint64_t sector, std::size_t offset,
                         FatDirEntry& out, const PreviousSector& previous) {
    if (!sectorBytes.Has(offset, kDirEntrySize)) {
        return EntryKind::End;
    }
    const ByteView e(sectorBytes.bytes().subspan(offset, kDirEntrySize));
    const std::uint8_t first = e.U8(dirent::kName);
    if (first == 0x00) {
        return EntryKind::End;
    }
    const std::uint8_t attributes = e.U8(dirent::kAttributes);
    if ((first == '.' && e.U8(3) == 0x20) || attributes == dirent::kLongNameAttributes) {
        return EntryKind::Skip;
    }
    std::string shortName = CompactBytes(e, dirent::kName, 8);
    if (e.U8(dirent::kExtension) != 0x20) {
        shortName += "." + CompactBytes(e, dirent::kExtension, 3);
    }
    bool deleted = false;
    if (!shortName.empty() && static_cast<std::uint8_t>(shortName[0]) == dirent::kDeletedMark) {
        shortName[0] = '_';
        deleted = true;
    }
    if (!IsPlausibleShortName(shortName)) {
        return EntryKind::Skip;
    }
    out = FatDirEntry{};
    const std::optional<std::u16string> longName =
        ReadLongName(reader, device, sectorBytes.bytes(), offset, sector, previous);
    if (longName) {
        if (!IsValidLongName(*longName)) {
            return EntryKind::Skip;
        }
        out.name = Utf16ToUtf8(*longName);
        out.longName = true;
    } else {
        // Without a long name the 8-bit rule holds as it is: OEM bytes in a
        // short name alone are taken for garbage.
        if (!IsValidEntryName(shortName)) {
            return EntryKind::Skip;
        }
        out.name = shortName;
    }
    out.shortName = std::move(shortName);
    out.deleted = deleted;
    out.attributes = attributes;
    out.firstCluster =
        fat32 ? MakeDword(e.U8(26), e.U8(27), e.U8(20), e.U8(21)) : e.U16(dirent::kClusterLow);
    out.size = e.U32(dirent::kSize);
    out.date = e.U16(dirent::kDate);
    out.time = e.U16(dirent::kTime);
    out.sector = sector;
    out.offset = offset;
    return EntryKind::Named;
}

bool ForEachFatEntry(const FatVolumeView& view, std::uint32_t dirCluster, bool zeroEndsSectorOnly,
                     const std::function<void(const FatDirEntry&)>& visit) {
    const CurrentVolume& v = view.volume;
    const bool fat32 = v.FileSystem == FileSystemKind::Fat32;
    const bool fixedRootFs =
        v.FileSystem == FileSystemKind::Fat16 || v.FileSystem == FileSystemKind::Fat12;
    const std::string& device = view.device;
    SectorBytes buffer{};

    // Returns false when the sector ended the whole folder.
    auto scanSector = [&](std::uint64_t sector, bool zeroEndsAll, const PreviousSector& previous) {
        ReadSector(view.reader, device, sector, buffer);
        const ByteView b(buffer);
        for (std::size_t i = 0; i < kEntriesPerSector; ++i) {
            FatDirEntry entry;
            const EntryKind kind = DecodeDirEntry(view.reader, device, fat32, b, sector,
                                                  i * kDirEntrySize, entry, previous);
            if (kind == EntryKind::End) {
                return !zeroEndsAll;
            }
            if (kind == EntryKind::Named) {
                visit(entry);
            }
        }
        return true;
    };

    if (dirCluster == 0 && fat32) {
        dirCluster = static_cast<std::uint32_t>(v.RootStart);
    }
    if (dirCluster != 0 && (fat32 || fixedRootFs)) {
        const DirectorySectors order = FolderSectors(view, dirCluster);
        const PreviousSector previous = order.Previous();
        for (const std::uint64_t sector : order.Sectors()) {
            if (!scanSector(sector, !zeroEndsSectorOnly, previous)) {
                break;
            }
        }
        return true;
    }
    if (dirCluster == 0 && fixedRootFs) {
        const std::uint64_t first = v.RootStart;
        const PreviousSector previous = [first](std::uint64_t s) -> std::optional<std::uint64_t> {
            return s > first ? std::optional<std::uint64_t>(s - 1) : std::nullopt;
        };
        for (std::uint64_t k = 0; k < v.RootSectors; ++k) {
            scanSector(v.RootStart + k, false, previous);
        }
        return true;
    }
    return false;
}

DirectorySectors FolderSectors(const FatVolumeView& view, std::uint32_t firstCluster) {
    const CurrentVolume& v = view.volume;
    ClusterList chain;
    WalkFatChain(view, firstCluster, chain);
    std::vector<std::uint64_t> sectors;
    sectors.reserve(chain.Size() * v.SPC);
    for (const std::uint32_t c : chain) {
        for (std::uint64_t k = 0; k < v.SPC; ++k) {
            sectors.push_back(ClusterToSector(v, c, k));
        }
    }
    return DirectorySectors(std::move(sectors));
}

std::size_t ListFatDirectory(const FatVolumeView& view, ListModel& list, std::size_t firstRow,
                             std::uint32_t dirCluster, bool folderDeleted) {
    std::size_t row = firstRow;
    ForEachFatEntry(view, dirCluster, false, [&](const FatDirEntry& entry) {
        if (entry.IsFolder()) {
            return;
        }
        const FatFileType type = FatTypeOf(entry.name);
        const std::size_t at = list.InsertRow(row, entry.name, type.image);
        const bool deleted = entry.deleted || folderDeleted;
        list.SetCell(at, 1, deleted ? type.deletedText : type.text);
        list.SetCell(at, 2, Decimal(entry.size));
        list.SetCell(at, 3, FatDateText(entry.date));
        list.SetCell(at, 4, FatTimeText(entry.time));
        list.SetCell(at, 5, Decimal(entry.firstCluster));
        row = at + 1;
    });
    return row - firstRow;
}

bool RelabelWithLongNames(const FatVolumeView& view, FolderTreeState& state, std::uint64_t sector,
                          std::uint32_t parentNumber, const PreviousSector& previous) {
    const bool fat32 = view.volume.FileSystem == FileSystemKind::Fat32;
    SectorBytes buffer{};
    ReadSector(view.reader, view.device, sector, buffer);
    const ByteView b(buffer);
    TreeFolderList& folders = state.TreeFolders;
    for (std::size_t i = 0; i < kEntriesPerSector; ++i) {
        FatDirEntry entry;
        const EntryKind kind = DecodeDirEntry(view.reader, view.device, fat32, b, sector,
                                              i * kDirEntrySize, entry, previous);
        if (kind == EntryKind::End) {
            return false;
        }
        // Only folder entries name folders: a file (often a deleted one) whose
        // first cluster was later given to a new folder must not rename it.
        if (kind != EntryKind::Named || !entry.IsFolder()) {
            continue;
        }
        const std::size_t index = folders.FirstWithSelfAndParent(entry.firstCluster, parentNumber);
        if (index == TreeFolderList::npos) {
            continue;
        }
        TreeFolder& folder = folders[index];
        // A folder deleted earlier whose cluster went to a new folder leaves
        // its old entry behind: the live entry names the folder and wins.
        if (entry.deleted && folder.namedLive) {
            continue;
        }
        folder.name = entry.name;
        state.FolderTree.SetText(folder.item, entry.name);
        if (entry.deleted) {
            folder.deleted = true;
        } else {
            folder.deleted = false;
            folder.namedLive = true;
        }
    }
    return true;
}

void LoadFatFolder(const FatVolumeView& view, FolderTreeState& state, std::size_t record) {
    const std::uint32_t self = state.TreeFolders[record].selfId;
    const DirectorySectors order = FolderSectors(view, self);
    const PreviousSector previous = order.Previous();
    for (const std::uint64_t sector : order.Sectors()) {
        if (!RelabelWithLongNames(view, state, sector, self, previous)) {
            break;
        }
    }
}

} // namespace quorvane
