#pragma once

#include "engine/core/ResultTables.h"
#include "engine/core/TreeFolders.h"
#include "engine/core/TreeModel.h"
#include "engine/core/UserInterface.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorvane {

// Images of the folder tree.
inline constexpr int kRootImage = 2;
inline constexpr int kFolderImage = 3;
inline constexpr int kCurrentFolderImage = 7;
inline constexpr int kFileSystemImage = 0;

// The tree of every wizard step and, on the browse step, the folder records
// behind its items. FAT and NTFS tree builders write it; the browser reads it
// and marks records loaded or deleted.
struct FolderTreeState {
    TreeModel FolderTree;
    TreeFolderList TreeFolders;
    // The "Root" item of the folder tree, kNone until it is made.
    TreeModel::Item RootItem = TreeModel::kNone;

    // Empties the tree and the records (a new volume is about to be shown).
    void ClearFolders() {
        FolderTree.Clear();
        TreeFolders.Clear();
        RootItem = TreeModel::kNone;
    }
};

// Creates the folder tree's top item "Root", or renames an existing one.
TreeModel::Item EnsureRootItem(FolderTreeState& state);

// Inserts one folder item under parentItem (after its siblings) with its
// TreeFolder record; `parentRecord` is the record of parentItem, or npos.
TreeModel::Item AddTreeFolder(FolderTreeState& state, TreeModel::Item parentItem,
                              std::string_view name, std::uint32_t selfId, std::uint32_t parentId,
                              std::int64_t date, std::int64_t time, bool deleted,
                              std::size_t parentRecord);

// Marks a record loaded. True when its directory is to be read now: it was not
// read before, and it is not "Lost", which has no directory of its own.
bool StartLoading(TreeFolder& folder);

// The orphan pass: every row whose parent is neither the root (rootNumber:
// kFatRootNumber or kNtfsRootNumber) nor the own number of some row gets the
// parent kLostFolderNumber, the "Lost" folder.
void MarkOrphans(EntryTableT& table, ProgressSink& progress, std::uint32_t rootNumber);

} // namespace quorvane
