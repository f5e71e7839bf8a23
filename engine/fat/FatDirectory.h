#pragma once

#include "engine/core/ByteView.h"
#include "engine/core/FolderTree.h"
#include "engine/core/ListModel.h"
#include "engine/disk/SectorReader.h"
#include "engine/fat/FatRecords.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvane {

inline constexpr std::size_t kDirEntrySize = 32;
inline constexpr std::size_t kEntriesPerSector = kSectorSize / kDirEntrySize;

// Directory entry fields.
namespace dirent {
inline constexpr std::size_t kName = 0;         // 8 bytes
inline constexpr std::size_t kExtension = 8;    // 3 bytes
inline constexpr std::size_t kAttributes = 11;  // byte
inline constexpr std::size_t kClusterHigh = 20; // word, FAT32
inline constexpr std::size_t kTime = 22;        // word
inline constexpr std::size_t kDate = 24;        // word
inline constexpr std::size_t kClusterLow = 26;  // word
inline constexpr std::size_t kSize = 28;        // dword
inline constexpr std::uint8_t kLongNameAttributes = 0x0F;
inline constexpr std::uint8_t kDirectoryBit = 0x10;
inline constexpr std::uint8_t kDeletedMark = 0xE5;
} // namespace dirent

// One named entry of a directory sector.
struct FatDirEntry {
    std::string name; // the long name (UTF-8) when one was gathered, else the short name
    std::string shortName;
    bool deleted = false;
    bool longName = false;
    std::uint8_t attributes = 0;
    std::uint32_t firstCluster = 0;
    std::uint32_t size = 0;
    std::uint16_t date = 0;
    std::uint16_t time = 0;
    std::uint64_t sector = 0;
    std::size_t offset = 0;

    bool IsFolder() const { return (attributes & dirent::kDirectoryBit) != 0; }
};

enum class EntryKind { End, Skip, Named };

// The sector that comes before `sector` in its directory, nothing at the
// directory's start. Empty: the sector before on the disk.
using PreviousSector = std::function<std::optional<std::uint64_t>(std::uint64_t)>;

// The sectors of a directory in order, and the predecessor of each. Long names
// that begin in the previous cluster of the chain are gathered from that
// cluster, wherever it lies on the disk.
class DirectorySectors {
public:
    explicit DirectorySectors(std::vector<std::uint64_t> sectors);
    const std::vector<std::uint64_t>& Sectors() const { return sectors_; }
    PreviousSector Previous() const;

private:
    std::vector<std::uint64_t> sectors_;
    std::unordered_map<std::uint64_t, std::size_t> index_;
};

// Decodes the entry at `offset` of a directory sector read from `sector`: the
// end mark, an entry that gives no name ("." and "..", long-name parts, names
// that fail the filters), or a named entry with its long name gathered.
EntryKind DecodeDirEntry(SectorReader& reader, const std::string& device, bool fat32,
                         ByteView sectorBytes, std::uint64_t sector, std::size_t offset,
                         FatDirEntry& out, const PreviousSector& previous = {});

// The long name that belongs to the short entry at `entryOffset` (a multiple of
// 32) of `sectorBytes`, read from absolute sector `sector`, as UTF-16 units. The
// entries before it may lie in the sectors before it (`previous`), which are read.
// Nothing when no long name precedes the entry.
std::optional<std::u16string> ReadLongName(SectorReader& reader, const std::string& device,
                                           std::span<const std::byte> sectorBytes,
                                           std::size_t entryOffset, std::uint64_t sector,
                                           const PreviousSector& previous = {});

// Every named entry of a folder of the current volume, files and sub-folders,
// in directory order. dirCluster 0 is the root folder. A 0x00 first byte ends
// the sector in the fixed root region, and the whole folder in a cluster chain
// unless `zeroEndsSectorOnly`. Returns false when nothing could be listed.
bool ForEachFatEntry(const FatVolumeView& view, std::uint32_t dirCluster, bool zeroEndsSectorOnly,
                     const std::function<void(const FatDirEntry&)>& visit);

// The sectors of the folder that starts at `firstCluster`, through its chain.
DirectorySectors FolderSectors(const FatVolumeView& view, std::uint32_t firstCluster);

// Lists the files (not the sub-folders) of a folder into `list` at firstRow,
// firstRow + 1, ... in the file-list columns. Returns the number of rows added.
std::size_t ListFatDirectory(const FatVolumeView& view, ListModel& list, std::size_t firstRow,
                             std::uint32_t dirCluster, bool folderDeleted);

// Gives the folder records under parentNumber their names (records and tree
// items) from one directory sector of their parent. False when the sector
// holds the end-of-directory mark.
bool RelabelWithLongNames(const FatVolumeView& view, FolderTreeState& state, std::uint64_t sector,
                          std::uint32_t parentNumber, const PreviousSector& previous = {});

// The lazy load of one folder record: its directory, sector by sector until
// the end mark, names its sub-folders.
void LoadFatFolder(const FatVolumeView& view, FolderTreeState& state, std::size_t record);

} // namespace quorvane
