#pragma once

#include "engine/core/UserInterface.h"
#include "engine/disk/DeviceNameTable.h"
#include "engine/disk/SectorReader.h"
#include "platform/BlockDevice.h"

#include <string>

namespace quorvane {

// The disk of a recovery session and its reader: the chosen disk, the one
// reader every engine reads it through, and whoever answers the reader's
// questions. One part of RecoverySession; functions that only read the disk
// take this part (or just the reader and the device name).
struct DiskAccess {
    DiskAccess(platform::DeviceOpener& opener, UserQuestions& questions)
        : Reader(opener, questions, Selection), Questions(questions) {}
    DiskAccess(const DiskAccess&) = delete;
    DiskAccess& operator=(const DiskAccess&) = delete;

    DiskSelection Selection;
    SectorReader Reader;
    UserQuestions& Questions;

    // The device name of the chosen disk.
    std::string Device() const { return DeviceNameTable::NameOf(Selection.SelectedDiskNumber); }
};

} // namespace quorvane
