#pragma once

#include "engine/core/TreeModel.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvane {

// The columns of MainList in its file-list form ("Name", "Type", "Size",
// "Date", "Time", "Debug Info 1" .. "Debug Info 3"), as the browser and the
// file-system listings fill them.
namespace filelist {
inline constexpr std::size_t kName = 0;
inline constexpr std::size_t kType = 1;
inline constexpr std::size_t kSize = 2;
inline constexpr std::size_t kDate = 3;
inline constexpr std::size_t kTime = 4;
inline constexpr std::size_t kDebug1 = 5; // FAT file: first cluster; NTFS file: record sector;
                                          // folder: its own number
inline constexpr std::size_t kDebug2 = 6; // parent number (NTFS files, folders)
inline constexpr std::size_t kDebug3 = 7; // folder: its tree item; NTFS file: its own number
} // namespace filelist

// What one listed row stands for, FAT or NTFS, beside its display texts: the
// listing, the save and the front ends read these fields, never the cells.
struct FileEntry {
    std::string name; // as shown (UTF-8)
    bool folder = false;
    bool deleted = false; // the entry, or the folder it was listed in, is deleted
    std::uint64_t size = 0;
    std::uint32_t attributes = 0; // FAT attribute byte; NTFS file attribute flags
    // FAT: the first cluster. NTFS: the MFT record number. Folders: the
    // folder's own number, as in its TreeFolder record.
    std::uint32_t first = 0;
    std::uint32_t parent = 0;                // folders: the parent's number
    std::int64_t date = 0;                   // FAT: the raw date word; NTFS: the raw time stamp
    std::int64_t time = 0;                   // FAT: the raw time word; NTFS: 0
    std::uint64_t sector = 0;                // where the entry was read (0 for folder records)
    TreeModel::Item item = TreeModel::kNone; // folders: the tree item
};

} // namespace quorvane
