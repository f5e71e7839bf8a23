#pragma once

#include "engine/core/ResultTables.h"
#include "engine/core/TreeModel.h"
#include "engine/core/UserInterface.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

struct RecoverySession;

// Images of the folder tree.
inline constexpr int kRootImage = 2;
inline constexpr int kFolderImage = 3;
inline constexpr int kCurrentFolderImage = 7;
inline constexpr int kFileSystemImage = 0;

// The orphan pass: every row whose parent is neither the root (rootNumber: 0
// on FAT, 5 on NTFS) nor the own number of some row gets the parent 268435455,
// the "Lost" folder.
void MarkOrphans(EntryTableT& table, ProgressSink& progress, std::uint32_t rootNumber);

// Creates the folder tree's top item "Root", or renames an existing one.
TreeModel::Item EnsureRootItem(RecoverySession& session);

// Inserts one folder item under parentItem (after its siblings) with its
// TreeFolder record; `parentRecord` is the record of parentItem, or npos.
TreeModel::Item AddTreeFolder(RecoverySession& session, TreeModel::Item parentItem,
                              std::string_view name, std::uint32_t selfId, std::uint32_t parentId,
                              std::int64_t date, std::int64_t time, bool deleted,
                              std::size_t parentRecord);

// Builds the folder tree from EntryTable and empties it: "Root", the folders of
// the root directory under their own names, every other folder under its
// parent, "Lost" with the folders whose parent was not found; then every folder
// is expanded once so that it is named from its parent's directory. A folder is
// never added under an item that has it as an ancestor; folders that only hang
// from each other (a ring of parents) go under "Lost". Returns 1.
//   BuildFatTree: the FAT variant of the selected partition (Standard search).
//   BuildFatTreeCurrent: the FAT variant of the current volume (Professional).
int BuildFatTree(RecoverySession& session, ProgressSink& progress);
int BuildFatTreeCurrent(RecoverySession& session, ProgressSink& progress);

// Lists the accepted file systems of BootTable2 in the file-system tree:
// "File System " + N + " - " + type, under its root "File Systems".
void AddFileSystemItems(RecoverySession& session);

} // namespace quorvane
