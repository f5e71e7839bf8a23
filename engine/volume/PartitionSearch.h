#pragma once

#include "engine/core/ByteView.h"
#include "engine/core/TreeModel.h"
#include "engine/core/UserInterface.h"
#include "engine/core/VolumeRecords.h"
#include "engine/disk/CatalogueGeometry.h"
#include "engine/disk/SectorReader.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>

namespace quorvane {

// The geometry the search walks: a disk stored with another number of sectors
// per track than 63 is searched with 255 heads and 63 sectors per track over
// the same number of sectors.
SearchGeometry TranslateSearchGeometry(SearchGeometry stored);

// The file system of a sector found by the search (FAT32, FAT16, NTFS), None
// when it is none of them, and the sector after its volume.
struct SearchedBootSector {
    FileSystemKind fileSystem = FileSystemKind::None;
    std::uint64_t endSector = 0;
};
SearchedBootSector DecideSearchedBootSector(ByteView sector, std::uint64_t first);

// How a search ended and what the partition step shows afterwards.
struct PartitionSearchOutcome {
    bool stopped = false;   // the user stopped it between two cylinders
    bool tableFull = false; // the disk's entry holds as many partitions as it can
    // The partition-type combo: "UNKNOWN" (-1) unless a partition was found,
    // then FAT16 0, FAT32 1, NTFS 2 after the first one; Start and End its range.
    std::string comboText = "UNKNOWN";
    int comboIndex = -1;
    SectorRange range;
    std::uint64_t cylindersSearched = 0;
};

// Searches disk `device` for boot sectors at every cylinder start (and one
// track in) of `stored` geometry, and at every 1 MiB boundary up to the end of
// the disk (where every partitioning tool of the last fifteen years puts
// partitions) in the same pass in ascending order, and replaces the disk's partitions in `disk` and
// under `root` with what it finds. Checks `stop` between two cylinders; what
// was found until then stays. Progress goes to `progress` once per cylinder.
PartitionSearchOutcome SearchPartitions(SectorReader& reader, const std::string& device,
                                        SearchGeometry stored, DiskPartitions& disk,
                                        TreeModel& tree, TreeModel::Item root,
                                        ProgressSink& progress, std::stop_token stop = {});

// The search on the 9x family, where no disk can be read this way: the
// progress bar runs from 0 to 100 in steps of one, `wait` being called with
// 100 ms before each step, and nothing is found. Stop ends it at once.
void RunNinetyFiveFamilySearch(ProgressSink& progress, std::stop_token stop,
                               const std::function<void(std::chrono::milliseconds)>& wait);

// The Stop button: asks whether to stop, and on Yes sets the hint and asks
// the search to stop at its next cylinder. True when the user said Yes.
bool AskStopPartitionSearch(UserQuestions& questions, ProgressSink& progress,
                            std::stop_source& stop);

} // namespace quorvane
