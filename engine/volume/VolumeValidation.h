#pragma once

#include "engine/core/ResultTables.h"
#include "engine/core/UserInterface.h"
#include "engine/core/VolumeRecords.h"
#include "engine/disk/SectorReader.h"

#include <string>

namespace quorvane {

// Validates the boot sector of the selected partition (or its backup copy) and
// fills `params` from it. Empties the tables a new search fills first.
// FAT16, FAT32 and NTFS; any other file system gives false.
bool ValidateVolume(SectorReader& reader, const std::string& device,
                    const SelectedPartition& partition, VolumeParams& params, ResultTables& tables,
                    ProgressSink& progress);

// The single file-system checks, for callers that already did the rest.
bool ValidateFat16(SectorReader& reader, const std::string& device, std::uint64_t first,
                   VolumeParams& params);
bool ValidateFat32(SectorReader& reader, const std::string& device, std::uint64_t first,
                   VolumeParams& params);
bool ValidateNtfs(SectorReader& reader, const std::string& device, std::uint64_t first,
                  std::uint64_t last, VolumeParams& params);

} // namespace quorvane
