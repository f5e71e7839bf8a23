#pragma once

#include "engine/core/TreeModel.h"
#include "engine/core/VolumeRecords.h"
#include "engine/disk/SectorReader.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quorvane {

// Special folder numbers of the folder tree.
inline constexpr std::uint32_t kFatRootNumber = 0;
inline constexpr std::uint32_t kNtfsRootNumber = 5;
inline constexpr std::uint32_t kLostFolderNumber = 0x0FFFFFFF; // 268435455

// The geometry of the volume being browsed or saved from. Sector numbers are
// absolute sectors of the disk; cluster c begins at Cluster0Start + c * SPC.
struct CurrentVolume {
    std::string FileSystem; // "FAT12", "FAT16", "FAT32" or "NTFS", compared exactly
    std::uint64_t SPF = 0;
    std::uint64_t SPC = 0;
    std::uint64_t RootSectors = 0; // FAT12/16: fixed root region length; FAT32: 0
    std::uint64_t RootStart = 0;   // FAT12/16: first root sector; FAT32: root cluster
    std::uint64_t ReserveSectors = 0;
    std::uint64_t Cluster0Start = 0;
    std::uint64_t FirstFAT = 0; // the FAT copy chains are read from
    std::uint64_t SecondFAT = 0;
    // NTFS only; the FAT engine never reads them.
    std::uint64_t MftSector = 0;
    std::uint64_t MftMirrorSector = 0;
    std::uint64_t SectorsPerMftRecord = 0;
    std::uint64_t SectorsPerIndexRecord = 0;

    // The fixed geometry of a 1.44 MB floppy.
    static CurrentVolume Floppy();
    // The geometry of a validated (or calculated) partition.
    static CurrentVolume FromParams(const VolumeParams& params, const std::string& fileSystem);
    void ToParams(VolumeParams& params) const;
};

// Cluster numbers in chain order. Appending is constant time.
class ClusterList {
public:
    void Append(std::uint32_t cluster) { clusters_.push_back(cluster); }
    void Clear() { clusters_.clear(); }
    bool Empty() const { return clusters_.empty(); }
    std::size_t Size() const { return clusters_.size(); }
    std::uint32_t operator[](std::size_t i) const { return clusters_.at(i); }
    auto begin() const { return clusters_.begin(); }
    auto end() const { return clusters_.end(); }
    const std::vector<std::uint32_t>& Clusters() const { return clusters_; }

private:
    std::vector<std::uint32_t> clusters_;
};

// FAT sectors already read, kept in chunks. Every folder and every file has
// its chain followed, and the FAT lies far from the clusters it names: without
// this, each chain would pull the reader away from the data being read.
class FatCache {
public:
    static constexpr std::uint32_t kChunkSectors = 64;
    static constexpr std::size_t kMaxChunks = 2048; // 64 MiB at most

    // Sector `sector` into `out` (512 bytes); false, with zeros, when it cannot
    // be read. Sectors past the end of the disk are not asked for.
    bool Sector(SectorReader& reader, const std::string& device, std::uint64_t sector,
                std::span<std::byte> out);
    void Clear();

private:
    struct Chunk {
        std::vector<std::byte> bytes;
        std::vector<bool> ok;
    };
    std::string device_;
    std::unordered_map<std::uint64_t, Chunk> chunks_;
};

// One folder item of the folder tree.
struct TreeFolder {
    std::string name;
    TreeModel::Item item = TreeModel::kNone;
    std::uint32_t selfId = 0;
    std::uint32_t parentId = 0;
    std::int64_t date = 0; // FAT: raw date word; NTFS: raw time stamp
    std::int64_t time = 0; // FAT: raw time word
    bool loaded = false;
    bool deleted = false;
    bool namedLive = false; // named from a live (not deleted) directory entry
    // Index of the record whose item this one hangs under; npos at the top.
    std::size_t parentRecord = static_cast<std::size_t>(-1);
};

// The folder records in insertion order, with the look-ups the tree builder,
// the relabelling and the browser need in constant time.
class TreeFolderList {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    std::size_t Append(TreeFolder folder);
    void Clear();
    void Reserve(std::size_t count);

    std::size_t Count() const { return records_.size(); }
    TreeFolder& operator[](std::size_t i) { return records_.at(i); }
    const TreeFolder& operator[](std::size_t i) const { return records_.at(i); }
    auto begin() const { return records_.begin(); }
    auto end() const { return records_.end(); }

    // The record whose item is `item`, npos when none.
    std::size_t FirstWithItem(TreeModel::Item item) const {
        return item < byItem_.size() ? byItem_[item] : npos;
    }
    // The first record whose self id is `self`, npos when none.
    std::size_t FirstWithSelf(std::uint32_t self) const;
    // The first record with both ids, npos when none.
    std::size_t FirstWithSelfAndParent(std::uint32_t self, std::uint32_t parent) const;
    // Calls visit(index) for the records whose parent id is `parent`, in list order.
    template <typename Visit> void ForEachWithParent(std::uint32_t parent, Visit visit) const {
        const auto it = byParent_.find(parent);
        for (std::size_t i = it == byParent_.end() ? npos : it->second.first; i != npos;
             i = nextWithParent_[i]) {
            visit(i);
        }
    }

private:
    std::vector<TreeFolder> records_;
    std::vector<std::size_t> byItem_;
    std::vector<std::size_t> nextWithParent_;
    // First and last record of each parent id, linked through nextWithParent_.
    std::unordered_map<std::uint32_t, std::pair<std::size_t, std::size_t>> byParent_;
    std::unordered_map<std::uint32_t, std::size_t> bySelf_;
    std::unordered_map<std::uint64_t, std::size_t> bySelfParent_;
};

// What the wizard decides before a FAT search starts.
struct SearchInputs {
    int SearchMode = -1;                // 1 Standard, 2 Professional, 3 Raw Recovery, -1 none
    std::uint64_t RangeStart = 0;       // first sector of the search range
    std::uint64_t RangeEnd = 0;         // first sector after the search range
    bool VolumeParamsFilled = false;    // the validation filled VolumeParams
    bool Floppy = false;                // the disk is the 1.44 MB floppy
    std::uint32_t ChosenFileSystem = 0; // Professional: 1-based row of BootTable2
    std::string ChosenFileSystemType;
};

// The FAT engine's records of one session.
struct FatRecords {
    CurrentVolume Volume;
    ClusterList DirChain;
    ClusterList SaveChain;
    FatCache Cache; // emptied at the start of every search
    TreeFolderList TreeFolders;
    SearchInputs Search;
    // The file-system tree of the Professional search ("File Systems").
    TreeModel FileSystemTree;
    TreeModel::Item FirstFileSystemItem = TreeModel::kNone;
    // The "Root" item of the folder tree, kNone until it is made.
    TreeModel::Item RootItem = TreeModel::kNone;
};

} // namespace quorvane
