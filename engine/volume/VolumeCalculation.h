#pragma once

#include "engine/core/UserInterface.h"
#include "engine/core/VolumeRecords.h"
#include "engine/disk/SectorReader.h"

#include <stop_token>
#include <string>

namespace quorvane {

// Infers the FAT geometry of the selected partition from the positions of two
// directory clusters, without trusting the boot sector. FAT16 and FAT32 only.
// Stops early (false) when `stop` is requested.
bool CalculateVolume(SectorReader& reader, const std::string& device,
                     const SelectedPartition& partition, VolumeParams& params,
                     ProgressSink& progress, std::stop_token stop = {});

} // namespace quorvane
