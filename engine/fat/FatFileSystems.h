#pragma once

#include "engine/core/UserInterface.h"

#include <cstdint>

namespace quorvane {

struct RecoverySession;

// Marks the lost directories of LostDirTable with not assigned to any file system.
inline constexpr std::uint32_t kNoFileSystem = 0xFFFFFFFF;

// Works out which FAT file systems the lost directories of LostDirTable belong
// to: first by the boot sectors of BootTable, then by pairs of directories
// whose sectors and clusters give one cluster size and one cluster-0 sector.
// Fills BootTable2 and column 3 of LostDirTable; returns the number accepted.
std::uint32_t IdentifyFatFileSystems(RecoverySession& session, ProgressSink& progress);

// Finds the two FAT copies of file system `row` (0-based row of BootTable2)
// by their F8 FF FF signature below its cluster-0 sector and completes the
// row. True when both were found.
bool LocateFats(RecoverySession& session, std::size_t row);

} // namespace quorvane
