#pragma once

#include "engine/core/ByteView.h"
#include "engine/core/FileSystemKind.h"
#include "engine/core/ResultTables.h"
#include "engine/core/UserInterface.h"
#include "engine/core/VolumeChoice.h"
#include "engine/disk/DiskAccess.h"

#include <cstdint>
#include <stop_token>

namespace quorvane {

// Captions of the found-counters.
inline constexpr std::string_view kDirectoriesFound = "Directories Found";
inline constexpr std::string_view kBootSectorsFound = "Boot Sectors Found";

// A sector whose first two entries are "." and "..".
bool IsFolderStart(ByteView sector);
// A FAT16 or FAT32 boot sector: its type, or None.
FileSystemKind FatBootSectorType(ByteView sector);

// The Standard search: the data area of the selected partition (geometry from
// volume.Volume, the FAT variant from volume.Selected), cluster by cluster up
// to volume.Search.RangeEnd, for directory clusters whose "." entry names the
// cluster they lie in. Fills `table` (EntryTable, "Lost" first). Stops at a
// cluster boundary when `stop` is requested, keeping what it found.
void LostDirSearch(DiskAccess& disk, const VolumeChoice& volume, EntryTableT& table,
                   ProgressSink& progress, std::stop_token stop = {});

// The Professional search: every sector of the search range, for FAT16/FAT32
// boot sectors (BootTable) and directory starts anywhere (LostDirTable).
void LostDirSearchPro(DiskAccess& disk, const SearchInputs& search, ResultTables& tables,
                      ProgressSink& progress, std::stop_token stop = {});

} // namespace quorvane
