#pragma once

#include "engine/core/FolderSource.h"
#include "engine/core/FolderTree.h"
#include "engine/core/ListModel.h"
#include "engine/core/TreeModel.h"

#include <cstddef>
#include <string>

namespace quorvane {

// What browsing reads and writes: the folder tree with its records, the file
// list (MainList), and the file-system engine of the browsed volume.
// RecoverySession::Browse() gives the session's.
struct BrowseContext {
    FolderTreeState& folders;
    ListModel& list;
    FolderSource& source;
};

struct FolderListFill {
    std::size_t folderRows = 0;
    std::size_t fileRows = 0;
};

// Fills the list for a folder item as a click does: the folder rows of the
// sub-folders ("FOLDER" / "Deleted FOLDER"; "Folder" / "Deleted Folder" with
// `enterSpelling`), then the files the source lists. A deleted folder makes
// all its children deleted, and their records are marked so. An item without
// a record opens the volume's root. The list is not emptied first.
FolderListFill FillFolderList(const BrowseContext& browse, TreeModel::Item item,
                              bool enterSpelling = false);

// The texts of the item and its ancestors below `root`, joined from the top
// down with "\". Empty for the root itself.
std::string ItemPath(const TreeModel& tree, TreeModel::Item root, TreeModel::Item item);

// The three-state check box: a checked or partly checked item is unchecked with
// its whole subtree, an unchecked one checked; the ancestors follow.
void ToggleCheck(TreeModel& tree, TreeModel::Item item);

// The lazy load of an expanding folder: its directory is read once (names for
// its sub-folders), never again for the same record.
void LoadFolderOnce(const BrowseContext& browse, TreeModel::Item item);

// The tree's expansion notification: a collapse gives the folder image back;
// an expansion below the top level loads the folder.
void OnItemExpanding(const BrowseContext& browse, TreeModel::Item item, bool expanding);

} // namespace quorvane
