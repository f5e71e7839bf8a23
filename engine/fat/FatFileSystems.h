#pragma once

#include "engine/core/FileSystemKind.h"
#include "engine/core/ResultTables.h"
#include "engine/core/UserInterface.h"
#include "engine/disk/SectorReader.h"

#include <cstdint>
#include <string>

namespace quorvane {

// Marks the lost directories of LostDirTable with not assigned to any file system.
inline constexpr std::uint32_t kNoFileSystem = 0xFFFFFFFF;

// Works out which FAT file systems the lost directories of LostDirTable belong
// to: first by the boot sectors of BootTable, then by pairs of directories
// whose sectors and clusters give one cluster size and one cluster-0 sector.
// Fills BootTable2 and column 3 of LostDirTable; returns the number accepted.
// `partitionType` is the type a file system found by a pair gets (FAT32 when
// its clusters say so).
std::uint32_t IdentifyFatFileSystems(ResultTables& tables, FileSystemKind partitionType,
                                     ProgressSink& progress);

// Finds the two FAT copies of file system `row` (a row of BootTable2) by their
// F8 FF FF signature below its cluster-0 sector and completes the row. True
// when both were found.
bool LocateFats(SectorReader& reader, const std::string& device, BootRow& row);

} // namespace quorvane
