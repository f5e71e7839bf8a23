#pragma once

#include "engine/core/FolderTree.h"
#include "engine/core/ResultTables.h"
#include "engine/core/UserInterface.h"
#include "engine/fat/FatRecords.h"

namespace quorvane {

// Builds the folder tree from `table` and empties it: "Root", the folders of
// the root directory under their own names, every other folder under its
// parent, "Lost" with the folders whose parent was not found; then every folder
// is expanded once so that it is named from its parent's directory. A folder is
// never added under an item that has it as an ancestor; folders that only hang
// from each other (a ring of parents) go under "Lost". `fileSystem` is the FAT
// variant whose root directory names the top folders; with None the root is
// not read and no ring is rescued. Returns 1.
int BuildFatTree(const FatVolumeView& view, FolderTreeState& state, EntryTableT& table,
                 FileSystemKind fileSystem, ProgressSink& progress);

// Lists the accepted file systems of BootTable2 in the file-system tree:
// "File System " + N + " - " + type, under its root "File Systems".
void AddFileSystemItems(FatRecords& fat, const BootTableT& systems);

} // namespace quorvane
