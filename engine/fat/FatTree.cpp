#include "engine/fat/FatTree.h"

#include "engine/core/PercentProgress.h"
#include "engine/fat/FatDirectory.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quorvane {

namespace {

// How often one row may be shown: rows that repeat a number are shown under
// every item of their parent's number, and a volume made of such repeats would
// otherwise grow the tree without bound.
constexpr std::size_t kMaxItemsPerRow = 16;

// Step 1: the folders of the root directory get their names from it.
void NameRootFolders(const FatVolumeView& view, EntryTableT& table) {
    std::unordered_map<std::uint32_t, std::size_t> firstAtRoot;
    for (std::size_t r = 0; r < table.RowCount(); ++r) {
        if (table[r].parent == kFatRootNumber) {
            firstAtRoot.try_emplace(table[r].self, r);
        }
    }
    std::vector<bool> namedLive(table.RowCount(), false);
    ForEachFatEntry(view, 0, true, [&](const FatDirEntry& entry) {
        // Only folder entries name folders (a file whose first cluster went
        // to a folder later must not), and a live entry wins over a deleted
        // one left behind for the same cluster.
        if (!entry.IsFolder()) {
            return;
        }
        const auto it = firstAtRoot.find(entry.firstCluster);
        if (it == firstAtRoot.end()) {
            return;
        }
        const std::size_t r = it->second;
        if (entry.deleted && namedLive[r]) {
            return;
        }
        table[r].name = entry.name;
        table[r].deleted = entry.deleted;
        namedLive[r] = !entry.deleted;
    });
}

// True when a record with number `self` is `record` or one of its ancestors.
bool OnAncestorPath(const TreeFolderList& folders, std::size_t record, std::uint32_t self) {
    if (folders.FirstWithSelf(self) == TreeFolderList::npos) {
        return false; // the usual case: the number is not in the tree at all
    }
    for (std::size_t r = record; r != TreeFolderList::npos; r = folders[r].parentRecord) {
        if (folders[r].selfId == self) {
            return true;
        }
    }
    return false;
}

} // namespace

int BuildFatTree(const FatVolumeView& view, FolderTreeState& state, EntryTableT& table,
                 FileSystemKind fileSystem, ProgressSink& progress) {
    TreeModel& tree = state.FolderTree;
    TreeFolderList& folders = state.TreeFolders;
    const TreeModel::Item root = EnsureRootItem(state);
    const bool fat = IsFat(fileSystem);

    std::vector<std::size_t> shown(table.RowCount(), 0);
    if (fat) {
        NameRootFolders(view, table);
        for (std::size_t r = 0; r < table.RowCount(); ++r) {
            const EntryRow& row = table[r];
            if (row.parent == kFatRootNumber) {
                ++shown[r];
                AddTreeFolder(state, root, row.name, row.self, row.parent, row.date, row.time,
                              row.deleted, TreeFolderList::npos);
            }
        }
    }
    tree.Expand(root);
    tree.SetText(root, "Root");
    PercentProgress percent(progress);
    percent.Force(0);

    // Folder rows by parent number, in table order within each number.
    std::vector<std::pair<std::uint32_t, std::size_t>> byParent;
    byParent.reserve(table.RowCount());
    for (std::size_t r = 0; r < table.RowCount(); ++r) {
        if (table[r].type == "FOLDER") {
            byParent.emplace_back(table[r].parent, r);
        }
    }
    std::sort(byParent.begin(), byParent.end());
    folders.Reserve(folders.Count() + table.RowCount());

    std::size_t walked = 0;
    auto walk = [&] {
        for (; walked < folders.Count(); ++walked) {
            const std::uint32_t self = folders[walked].selfId;
            auto it = std::lower_bound(byParent.begin(), byParent.end(),
                                       std::pair<std::uint32_t, std::size_t>(self, 0));
            for (; it != byParent.end() && it->first == self; ++it) {
                const std::size_t r = it->second;
                const EntryRow& row = table[r];
                if (shown[r] >= kMaxItemsPerRow || OnAncestorPath(folders, walked, row.self)) {
                    continue;
                }
                ++shown[r];
                AddTreeFolder(state, folders[walked].item, row.name, row.self, row.parent, row.date,
                              row.time, row.deleted, walked);
            }
            percent.Report(walked + 1, folders.Count());
        }
    };
    walk();

    // Folders that only hang from each other (a ring of parents, a folder that
    // names itself as its parent) are reached from nowhere: they go under
    // "Lost" rather than out of sight.
    if (fat) {
        const std::size_t lostRecord = folders.FirstWithSelf(kLostFolderNumber);
        if (lostRecord != TreeFolderList::npos) {
            for (std::size_t r = 0; r < table.RowCount(); ++r) {
                const EntryRow& row = table[r];
                if (shown[r] != 0 || row.type != "FOLDER" || row.self == kLostFolderNumber) {
                    continue;
                }
                ++shown[r];
                AddTreeFolder(state, folders[lostRecord].item, row.name, row.self, row.parent,
                              row.date, row.time, row.deleted, lostRecord);
                walk();
            }
        }
    }
    percent.Force(100);

    table.DeleteAll();

    // Every folder is expanded once, which names its sub-folders from its
    // directory, and collapsed again. Each expansion writes only the records
    // of its own sub-folders, so the order does not change the outcome; the
    // order of first clusters reads the disk front to back instead of jumping
    // about it in the order the tree was built.
    std::vector<std::size_t> order(folders.Count());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return folders[a].selfId < folders[b].selfId;
    });
    for (const std::size_t i : order) {
        if (StartLoading(folders[i])) {
            LoadFatFolder(view, state, i);
        }
    }
    for (const TreeFolder& f : folders) {
        if (tree.Valid(f.item)) {
            tree.At(f.item).expanded = false;
        }
    }
    return 1;
}

void AddFileSystemItems(FatRecords& fat, const BootTableT& systems) {
    TreeModel& tree = fat.FileSystemTree;
    TreeModel::Item root = TreeModel::kNone;
    for (const TreeModel::Item top : tree.TopLevel()) {
        if (tree.At(top).text == "File Systems") {
            root = top;
        }
    }
    if (root == TreeModel::kNone) {
        root = tree.AddItem(TreeModel::kNone, "File Systems", kRootImage, kRootImage);
        tree.SetCheckState(root, TreeModel::kUnchecked);
    }
    fat.FirstFileSystemItem = TreeModel::kNone;
    for (std::size_t r = 0; r < systems.RowCount(); ++r) {
        const TreeModel::Item item =
            tree.AddItem(root,
                         "File System " + std::to_string(r + 1) + " - " +
                             std::string(FileSystemName(systems[r].partType)),
                         kFileSystemImage, kFileSystemImage);
        if (r == 0) {
            fat.FirstFileSystemItem = item;
        }
    }
    tree.Expand(root);
}

} // namespace quorvane
