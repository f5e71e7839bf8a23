#pragma once

#include "engine/core/CurrentVolume.h"
#include "engine/core/TreeModel.h"
#include "engine/disk/SectorReader.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace quorvane {

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

// What the FAT chain and directory code reads: the disk, the geometry of the
// volume and the FAT sectors read so far. Made by whoever holds the session
// parts (RecoverySession::FatView()); tests and fuzz targets make their own.
struct FatVolumeView {
    SectorReader& reader;
    std::string device;
    const CurrentVolume& volume;
    FatCache& cache;
};

// The FAT engine's own records of one session.
struct FatRecords {
    ClusterList DirChain;  // the chain of the folder being read
    ClusterList SaveChain; // the chain of the file being saved
    FatCache Cache;        // emptied at the start of every search
    // The file-system tree of the Professional search ("File Systems").
    TreeModel FileSystemTree;
    TreeModel::Item FirstFileSystemItem = TreeModel::kNone;
};

} // namespace quorvane
