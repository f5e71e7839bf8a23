#pragma once

#include "engine/browse/FolderBrowser.h"
#include "engine/core/TreeModel.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quorvane {

// One folder or file of the whole folder tree, as opening every folder shows it.
struct ListedEntry {
    std::vector<std::string> path; // names from the volume's top level down
    bool folder = false;
    std::uint64_t size = 0;
    bool deleted = false;
    std::string type; // the type text of the list ("FOLDER", "Text file", ...)
    std::string date; // DD-Mon-YYYY
    std::string time; // HH:MM
    std::uint32_t firstCluster = 0;
    TreeModel::Item item = TreeModel::kNone; // folders: the tree item
};

// Walks the folder tree from "Root" depth first, opening every folder as a
// click does (the list is filled for each and left with the last one), and
// gives each folder followed by its files, then its sub-folders.
void ListFolderTree(const BrowseContext& browse,
                    const std::function<void(const ListedEntry&)>& visit);

} // namespace quorvane
