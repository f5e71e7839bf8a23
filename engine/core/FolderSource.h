#pragma once

#include "engine/core/FolderTree.h"
#include "engine/core/ListModel.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvane {

// What the folder browser (engine/browse) asks of the file-system engine of
// the browsed volume. The FAT engine implements it (FatFolderSource); the NTFS
// engine gives its own. Everything else about browsing (folder rows, item
// paths, check states, the walk over the tree) is the browser's.
class FolderSource {
public:
    virtual ~FolderSource() = default;

    // The number the root folder's contents go by (kFatRootNumber, kNtfsRootNumber).
    virtual std::uint32_t RootNumber() const = 0;
    // The Date and Time cells of a folder row from its record's raw values.
    virtual std::string FolderDateText(const TreeFolder& folder) const = 0;
    virtual std::string FolderTimeText(const TreeFolder& folder) const = 0;
    // Appends one row per file (not sub-folder) of folder `number` to `list`,
    // in the file-list columns, each with its FileEntry; a folder listed as
    // deleted makes its files deleted. Never called for kLostFolderNumber.
    // Returns the number of rows added.
    virtual std::size_t ListFiles(ListModel& list, std::uint32_t number, bool folderDeleted) = 0;
    // The lazy load: reads the directory of record `record` and names the
    // records (and items) of its sub-folders. Called once per record.
    virtual void LoadFolder(FolderTreeState& state, std::size_t record) = 0;
};

} // namespace quorvane
