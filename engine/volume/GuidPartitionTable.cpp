#include "engine/volume/GuidPartitionTable.h"

#include "engine/core/Crc32.h"
#include "engine/core/Utf16Text.h"
#include "engine/volume/PartitionWalk.h"

#include <algorithm>
#include <array>

namespace quorvane {

namespace {

namespace header {
constexpr std::size_t kSignature = 0x00;     // "EFI PART"
constexpr std::size_t kRevision = 0x08;      // dword
constexpr std::size_t kHeaderSize = 0x0C;    // dword
constexpr std::size_t kHeaderCrc = 0x10;     // dword, over kHeaderSize bytes with itself zero
constexpr std::size_t kMyLba = 0x18;         // qword
constexpr std::size_t kAlternateLba = 0x20;  // qword
constexpr std::size_t kFirstUsable = 0x28;   // qword
constexpr std::size_t kLastUsable = 0x30;    // qword, inclusive
constexpr std::size_t kDiskGuid = 0x38;      // 16 bytes
constexpr std::size_t kEntryArrayLba = 0x48; // qword
constexpr std::size_t kEntryCount = 0x50;    // dword
constexpr std::size_t kEntrySize = 0x54;     // dword
constexpr std::size_t kEntryArrayCrc = 0x58; // dword
constexpr std::uint32_t kMinSize = 0x5C;     // the fields above
} // namespace header

namespace entry {
constexpr std::size_t kTypeGuid = 0x00;   // 16 bytes, zero for an unused entry
constexpr std::size_t kUniqueGuid = 0x10; // 16 bytes
constexpr std::size_t kFirstLba = 0x20;   // qword
constexpr std::size_t kLastLba = 0x28;    // qword, inclusive
constexpr std::size_t kAttributes = 0x30; // qword
constexpr std::size_t kName = 0x38;       // 36 UTF-16LE units
constexpr std::size_t kNameUnits = 36;
constexpr std::uint32_t kMinSize = 128;
constexpr std::uint32_t kMaxSize = 4096;
} // namespace entry

constexpr std::uint64_t kPrimaryLba = 1;

// Notes about single entries beyond this many are summed up in one line: a
// garbage array can hold thousands of bad entries.
constexpr std::size_t kMaxEntryNotes = 32;

// Exactly 128 × 2^n bytes, as the table's definition requires.
bool IsEntrySize(std::uint32_t size) {
    for (std::uint32_t s = entry::kMinSize; s <= entry::kMaxSize; s *= 2) {
        if (size == s) {
            return true;
        }
    }
    return false;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// "GPT entry 3 ("Data", sectors 2048 to 4095)"
std::string EntryText(const GptEntry& e) {
    return "GPT entry " + std::to_string(e.index) + " (" + Quoted(e.name) + ", " +
           std::string(GptTypeName(KindOfGptType(e.typeGuid))) + ", sectors " +
           std::to_string(e.firstLba) + " to " + std::to_string(e.lastLba) + ")";
}

struct CopyRead {
    std::optional<GptHeader> header;
    std::optional<std::vector<GptEntry>> entries;
    std::string problem;
};

// One copy: the header at `lba` and the array it names.
CopyRead ReadCopy(SectorReader& reader, const std::string& device, std::uint64_t lba,
                  std::uint64_t diskSectors, GptChecks checks) {
    CopyRead copy;
    std::array<std::byte, kSectorSize> sector{};
    if (reader.ReadSectors(device, lba, 1, sector) == 0) {
        copy.problem = "sector " + std::to_string(lba) + " could not be read";
        return copy;
    }
    copy.header = ParseGptHeader(ByteView(sector), lba, diskSectors, copy.problem, checks);
    if (!copy.header) {
        copy.problem = "header at sector " + std::to_string(lba) + ": " + copy.problem;
        return copy;
    }
    const GptHeader& h = *copy.header;
    // Bounded by ParseGptHeader: at most kMaxGptArrayBytes, inside the disk.
    std::vector<std::byte> array(static_cast<std::size_t>(h.ArraySectors()) * kSectorSize);
    // An unreadable sector comes back as zeros; the CRC then says whether the
    // array is still whole (a zero sector of unused entries is).
    const bool readWhole =
        array.empty() ||
        reader.ReadSectors(device, h.entryArrayLba, static_cast<std::uint32_t>(h.ArraySectors()),
                           array) != 0;
    std::string problem;
    copy.entries = ParseGptEntries(ByteView(array), h, problem, checks);
    if (!copy.entries) {
        copy.problem = "entry array at sector " + std::to_string(h.entryArrayLba) + ": " +
                       (readWhole ? problem : "could not be read whole");
    }
    return copy;
}

} // namespace

std::optional<GptHeader> ParseGptHeader(ByteView sector, std::uint64_t lba,
                                        std::uint64_t diskSectors, std::string& problem,
                                        GptChecks checks) {
    if (!sector.Matches(header::kSignature, "EFI PART")) {
        problem = "no GPT signature";
        return std::nullopt;
    }
    GptHeader h;
    h.revision = sector.U32(header::kRevision);
    h.headerSize = sector.U32(header::kHeaderSize);
    h.headerCrc = sector.U32(header::kHeaderCrc);
    h.myLba = sector.U64(header::kMyLba);
    h.alternateLba = sector.U64(header::kAlternateLba);
    h.firstUsable = sector.U64(header::kFirstUsable);
    h.lastUsable = sector.U64(header::kLastUsable);
    h.diskGuid = Guid::At(sector, header::kDiskGuid);
    h.entryArrayLba = sector.U64(header::kEntryArrayLba);
    h.entryCount = sector.U32(header::kEntryCount);
    h.entrySize = sector.U32(header::kEntrySize);
    h.entryArrayCrc = sector.U32(header::kEntryArrayCrc);
    // The revision is not checked: every revision so far has this layout, and
    // the CRC below says whether the header is intact.

    if (h.headerSize < header::kMinSize || h.headerSize > kSectorSize ||
        h.headerSize > sector.size()) {
        problem = "header size " + std::to_string(h.headerSize) + " is out of range";
        return std::nullopt;
    }
    if (checks.crc) {
        std::array<std::byte, kSectorSize> copy{};
        std::copy_n(sector.bytes().begin(), h.headerSize, copy.begin());
        std::fill_n(copy.begin() + header::kHeaderCrc, 4, std::byte{0});
        if (Crc32(std::span(copy).first(h.headerSize)) != h.headerCrc) {
            problem = "header CRC does not match";
            return std::nullopt;
        }
    }
    if (h.myLba != lba) {
        problem = "header names sector " + std::to_string(h.myLba) + " as its own";
        return std::nullopt;
    }
    if (h.firstUsable > h.lastUsable) {
        problem = "first usable sector " + std::to_string(h.firstUsable) + " is after the last " +
                  std::to_string(h.lastUsable);
        return std::nullopt;
    }
    // A usable area past the disk's end is tolerated: an image of the first
    // part of a bigger disk keeps its primary table, and the walk reads no
    // partition past the end.
    if (!IsEntrySize(h.entrySize)) {
        problem = "entry size " + std::to_string(h.entrySize) + " is not 128 x 2^n up to 4096";
        return std::nullopt;
    }
    if (h.ArrayBytes() > kMaxGptArrayBytes) {
        problem = std::to_string(h.entryCount) + " entries are more than a table holds";
        return std::nullopt;
    }
    const std::uint64_t arraySectors = h.ArraySectors();
    if (arraySectors > 0 &&
        (h.entryArrayLba >= diskSectors || arraySectors > diskSectors - h.entryArrayLba)) {
        problem = "entry array at sector " + std::to_string(h.entryArrayLba) +
                  " lies past the end of the disk";
        return std::nullopt;
    }
    if (arraySectors > 0 && h.entryArrayLba <= lba && lba - h.entryArrayLba < arraySectors) {
        problem = "entry array covers the header";
        return std::nullopt;
    }
    return h;
}

std::optional<std::vector<GptEntry>> ParseGptEntries(ByteView array, const GptHeader& header,
                                                     std::string& problem, GptChecks checks) {
    if (!array.Has(0, static_cast<std::size_t>(header.ArrayBytes()))) {
        problem = "shorter than " + std::to_string(header.ArrayBytes()) + " bytes";
        return std::nullopt;
    }
    if (checks.crc && Crc32(array.bytes().first(static_cast<std::size_t>(header.ArrayBytes()))) !=
                          header.entryArrayCrc) {
        problem = "entry array CRC does not match";
        return std::nullopt;
    }
    std::vector<GptEntry> entries;
    for (std::uint32_t i = 0; i < header.entryCount; ++i) {
        const std::size_t at = static_cast<std::size_t>(i) * header.entrySize;
        const ByteView e(array.bytes().subspan(at, header.entrySize));
        GptEntry out;
        out.typeGuid = Guid::At(e, entry::kTypeGuid);
        if (out.typeGuid.IsZero()) {
            continue; // unused
        }
        out.index = i + 1;
        out.uniqueGuid = Guid::At(e, entry::kUniqueGuid);
        out.firstLba = e.U64(entry::kFirstLba);
        out.lastLba = e.U64(entry::kLastLba);
        out.attributes = e.U64(entry::kAttributes);
        std::u16string name;
        for (std::size_t k = 0; k < entry::kNameUnits; ++k) {
            const char16_t unit = e.U16(entry::kName + 2 * k);
            if (unit == 0) {
                break;
            }
            name.push_back(unit);
        }
        // Shown and compared as text: a control character or an unpaired
        // surrogate stays visible as an escape instead of vanishing.
        out.name = Utf16ToEscapedUtf8(name);
        entries.push_back(std::move(out));
    }
    return entries;
}

GptRead ReadGuidPartitionTable(SectorReader& reader, const std::string& device,
                               std::uint64_t diskSectors, GptChecks checks) {
    GptRead read;
    if (diskSectors <= kPrimaryLba) {
        read.primaryProblem = "the disk has no sector 1";
        read.backupProblem = read.primaryProblem;
        return read;
    }
    // True when `copy` is whole, which is then the table read.
    const auto take = [&read](CopyRead& copy, GptCopy which) {
        if (!copy.entries) {
            return false;
        }
        read.copy = which;
        read.header = *copy.header;
        read.entries = std::move(*copy.entries);
        return true;
    };
    CopyRead primary = ReadCopy(reader, device, kPrimaryLba, diskSectors, checks);
    if (take(primary, GptCopy::Primary)) {
        return read;
    }
    read.primaryProblem = primary.problem;

    // A sound primary header names its backup; the backup's usual place is
    // the disk's last sector.
    std::vector<std::uint64_t> candidates;
    if (primary.header && primary.header->alternateLba < diskSectors &&
        primary.header->alternateLba != kPrimaryLba) {
        candidates.push_back(primary.header->alternateLba);
    }
    if (candidates.empty() || candidates.front() != diskSectors - 1) {
        candidates.push_back(diskSectors - 1);
    }
    for (const std::uint64_t lba : candidates) {
        CopyRead backup = ReadCopy(reader, device, lba, diskSectors, checks);
        if (take(backup, GptCopy::Backup)) {
            return read;
        }
        if (read.backupProblem.empty()) {
            read.backupProblem = backup.problem;
        }
    }
    return read;
}

GptTypeKind KindOfGptType(const Guid& type) {
    static const Guid kEfiSystem = Guid::FromText("C12A7328-F81F-11D2-BA4B-00A0C93EC93B");
    static const Guid kBasicData = Guid::FromText("EBD0A0A2-B9E5-4433-87C0-68B6B72699C7");
    static const Guid kReserved = Guid::FromText("E3C9E316-0B5C-4DB8-817D-F92DF00215AE");
    if (type == kEfiSystem) {
        return GptTypeKind::EfiSystem;
    }
    if (type == kBasicData) {
        return GptTypeKind::BasicData;
    }
    if (type == kReserved) {
        return GptTypeKind::MicrosoftReserved;
    }
    return GptTypeKind::Other;
}

std::string_view GptTypeName(GptTypeKind kind) {
    switch (kind) {
    case GptTypeKind::EfiSystem:
        return "EFI system";
    case GptTypeKind::BasicData:
        return "basic data";
    case GptTypeKind::MicrosoftReserved:
        return "Microsoft reserved";
    case GptTypeKind::Other:
        break;
    }
    return "other";
}

bool ListGuidPartitions(SectorReader& reader, const std::string& device, std::uint64_t diskSectors,
                        const GptRead& read, DiskPartitions& disk, TreeModel& tree,
                        TreeModel::Item root) {
    disk.scheme = PartitionScheme::Gpt;
    disk.gptCopy = read.copy;
    auto note = [&](bool warning, std::string text) {
        disk.notes.push_back({warning, std::move(text)});
    };
    if (read.copy == GptCopy::Unreadable) {
        note(true, "The GUID partition table is unreadable (primary: " + read.primaryProblem +
                       "; backup: " + read.backupProblem +
                       "), so none of its partitions is listed. A partition search finds "
                       "their volumes: partitioning tools put them on 1 MiB boundaries.");
        return false;
    }
    const GptHeader& h = read.header;
    if (read.copy == GptCopy::Backup) {
        note(true, "The primary GUID partition table is damaged (" + read.primaryProblem +
                       "); the backup table at sector " + std::to_string(h.myLba) + " is used.");
    }
    if (h.lastUsable >= diskSectors) {
        note(true, "The GUID partition table describes a disk of at least " +
                       std::to_string(h.lastUsable + 1) + " sectors; this one holds " +
                       std::to_string(diskSectors) + ": nothing past its end is read.");
    }

    // Overlaps, in one pass over the entries by start: each entry that begins
    // before the furthest end so far overlaps the entry of that end.
    std::vector<const GptEntry*> byStart;
    for (const GptEntry& e : read.entries) {
        if (e.firstLba <= e.lastLba) {
            byStart.push_back(&e);
        }
    }
    std::sort(byStart.begin(), byStart.end(), [](const GptEntry* a, const GptEntry* b) {
        return a->firstLba != b->firstLba ? a->firstLba < b->firstLba : a->index < b->index;
    });
    std::vector<std::uint32_t> overlapsWith(read.entries.empty() ? 0
                                                                 : read.entries.back().index + 1);
    const GptEntry* furthest = nullptr;
    for (const GptEntry* e : byStart) {
        if (furthest != nullptr && e->firstLba <= furthest->lastLba) {
            overlapsWith[e->index] = furthest->index;
        }
        if (furthest == nullptr || e->lastLba > furthest->lastLba) {
            furthest = e;
        }
    }

    std::size_t entryNotes = 0;
    std::size_t entryNotesLeft = 0;
    auto entryNote = [&](bool warning, std::string text) {
        if (entryNotes < kMaxEntryNotes) {
            ++entryNotes;
            note(warning, std::move(text));
        } else {
            ++entryNotesLeft;
        }
    };
    std::uint32_t beyondCapacity = 0;
    std::array<std::byte, kSectorSize> boot{};
    for (const GptEntry& e : read.entries) {
        if (e.firstLba > e.lastLba) {
            entryNote(true, EntryText(e) + " ends before it begins: not listed.");
            continue;
        }
        if (e.firstLba >= diskSectors) {
            entryNote(true, EntryText(e) + " lies past the end of the disk: not listed.");
            continue;
        }
        boot.fill(std::byte{0});
        reader.ReadSectors(device, e.firstLba, 1, boot);
        const FileSystemKind fileSystem = DecideBootSectorFileSystem(ByteView(boot));
        if (fileSystem == FileSystemKind::None) {
            entryNote(false, EntryText(e) + " holds no FAT or NTFS volume: not listed.");
            continue;
        }
        if (disk.Full()) {
            ++beyondCapacity;
            continue;
        }
        PartitionInfo info;
        info.fileSystem = fileSystem;
        info.firstSector = e.firstLba;
        info.endSector = std::min(e.lastLba, diskSectors - 1) + 1;
        info.scheme = PartitionScheme::Gpt;
        info.gptEntry = e.index;
        info.name = e.name;
        info.typeGuid = e.typeGuid;
        info.uniqueGuid = e.uniqueGuid;
        info.attributes = e.attributes;
        const std::string text = PartitionItemText(disk.count + 1, fileSystem);
        info.treeItem = AddTreeItem(tree, text, root);
        if (disk.count == 0) {
            disk.defaultItem = info.treeItem;
        }
        disk.Add(info);

        if (e.firstLba < h.firstUsable || e.lastLba > h.lastUsable) {
            entryNote(true, text + ": " + EntryText(e) +
                                " leaves the table's usable area (sectors " +
                                std::to_string(h.firstUsable) + " to " +
                                std::to_string(h.lastUsable) + ").");
        }
        if (e.lastLba >= diskSectors) {
            entryNote(true, text + ": " + EntryText(e) + " runs past the end of the disk (" +
                                std::to_string(diskSectors) +
                                " sectors); it is read only up to the end.");
        }
        if (overlapsWith[e.index] != 0) {
            entryNote(true, text + ": " + EntryText(e) + " overlaps GPT entry " +
                                std::to_string(overlapsWith[e.index]) + ".");
        }
    }
    if (entryNotesLeft > 0) {
        note(true, std::to_string(entryNotesLeft) + " more note(s) about GPT entries left out.");
    }
    if (beyondCapacity > 0) {
        note(true, std::to_string(beyondCapacity) +
                       " more partition(s) with a FAT or NTFS volume are not listed: the list "
                       "holds " +
                       std::to_string(DiskPartitions::kCapacity) + ".");
    }
    return true;
}

} // namespace quorvane
