#pragma once

#include "engine/core/CurrentVolume.h"
#include "engine/core/SearchInputs.h"
#include "engine/core/VolumeRecords.h"

namespace quorvane {

// The volume part of a recovery session: the partitions found on the disks,
// the partition chosen with the geometry its boot sector gives, the volume
// being browsed or saved from, and what the wizard chose for the search.
struct VolumeChoice {
    DiskPartitionTable Partitions;
    SelectedPartition Selected;
    VolumeParams Volume;
    CurrentVolume Current;
    SearchInputs Search;
};

} // namespace quorvane
