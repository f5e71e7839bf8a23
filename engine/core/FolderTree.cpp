#include "engine/core/FolderTree.h"

#include "engine/core/PercentProgress.h"

#include <algorithm>
#include <string>
#include <unordered_set>

namespace quorvane {

TreeModel::Item EnsureRootItem(FolderTreeState& state) {
    TreeModel& tree = state.FolderTree;
    TreeModel::Item& root = state.RootItem;
    if (tree.Valid(root)) {
        tree.SetText(root, "Root");
        return root;
    }
    root = tree.AddItem(TreeModel::kNone, "Root", kRootImage, kRootImage);
    tree.SetCheckState(root, TreeModel::kUnchecked);
    tree.Expand(root);
    return root;
}

TreeModel::Item AddTreeFolder(FolderTreeState& state, TreeModel::Item parentItem,
                              std::string_view name, std::uint32_t selfId, std::uint32_t parentId,
                              std::int64_t date, std::int64_t time, bool deleted,
                              std::size_t parentRecord) {
    TreeModel& tree = state.FolderTree;
    const TreeModel::Item item = tree.AddItem(parentItem, name, kFolderImage, kFolderImage);
    tree.SetCheckState(item, TreeModel::kUnchecked);
    tree.SetCheckState(state.RootItem, TreeModel::kUnchecked);
    TreeFolder folder;
    folder.name = name;
    folder.item = item;
    folder.selfId = selfId;
    folder.parentId = parentId;
    folder.date = date;
    folder.time = time;
    folder.deleted = deleted;
    folder.parentRecord = parentRecord;
    state.TreeFolders.Append(std::move(folder));
    return item;
}

bool StartLoading(TreeFolder& folder) {
    if (folder.loaded) {
        return false;
    }
    folder.loaded = true;
    return folder.selfId != kLostFolderNumber;
}

void MarkOrphans(EntryTableT& table, ProgressSink& progress, std::uint32_t rootNumber) {
    std::unordered_set<std::uint32_t> numbers;
    numbers.reserve(table.RowCount());
    for (const EntryRow& row : table) {
        numbers.insert(row.self);
    }
    const std::size_t count = table.RowCount();
    PercentProgress percent(progress);
    int lastStatus = -1;
    for (std::size_t i = 0; i < count; ++i) {
        EntryRow& row = table[i];
        if (row.parent != rootNumber && numbers.count(row.parent) == 0) {
            row.parent = kLostFolderNumber;
        }
        if (i >= 1) {
            // The status follows the bar: once per percent, not once per row.
            const int now = PercentOf(i, count);
            if (now != lastStatus) {
                lastStatus = now;
                progress.SetStatus("Searching Lost Directories " + std::to_string(i) + "/" +
                                   std::to_string(count));
            }
            percent.Report(i, count);
        }
    }
}

} // namespace quorvane
