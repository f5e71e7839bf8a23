#pragma once

#include "engine/core/ResultTables.h"
#include "engine/core/TreeModel.h"
#include "engine/core/UserInterface.h"
#include "engine/core/VolumeRecords.h"
#include "engine/disk/DeviceNameTable.h"
#include "engine/disk/SectorReader.h"
#include "engine/fat/FatRecords.h"
#include "platform/BlockDevice.h"

namespace quorvane {

// The records of one recovery run. The GUI, the CLI and each test make their
// own; nothing of it lives at namespace scope, so two sessions can run side by
// side.
struct RecoverySession {
    RecoverySession(platform::DeviceOpener& opener, UserQuestions& questions)
        : Reader(opener, questions, Selection), Questions(questions) {}

    DiskSelection Selection;
    SectorReader Reader;
    UserQuestions& Questions;

    DiskPartitionTable Partitions;
    SelectedPartition Selected;
    VolumeParams Volume;
    ResultTables Tables;
    TreeModel FolderTree;
    FatRecords Fat;

    std::string Device() const { return DeviceNameTable::NameOf(Selection.SelectedDiskNumber); }
};

} // namespace quorvane
