#include "engine/fat/FatTree.h"

#include "engine/core/CellText.h"
#include "engine/fat/FatDirectory.h"
#include "engine/fat/FolderBrowser.h"
#include "engine/session/RecoverySession.h"

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

// Emits a percentage only when it changes, so that a sink is not called once
// per row of a large table.
class PercentReporter {
public:
    explicit PercentReporter(ProgressSink& progress, std::string_view suffix)
        : progress_(progress), suffix_(suffix) {}
    void Report(std::uint64_t done, std::uint64_t total) {
        const int p =
            total == 0 ? 100 : static_cast<int>(std::min<std::uint64_t>(100, (100 * done) / total));
        if (p != last_) {
            last_ = p;
            progress_.SetProgress(p, std::to_string(p) + suffix_);
        }
    }
    void Force(int p) {
        last_ = p;
        progress_.SetProgress(p, std::to_string(p) + suffix_);
    }

private:
    ProgressSink& progress_;
    std::string suffix_;
    int last_ = -1;
};

bool IsFat(const std::string& fs) {
    return fs == "FAT12" || fs == "FAT16" || fs == "FAT32";
}

// Step 1: the folders of the root directory get their names from it.
void NameRootFolders(RecoverySession& session, EntryTableT& table) {
    std::unordered_map<std::uint32_t, std::size_t> firstAtRoot;
    for (std::size_t r = 0; r < table.RowCount(); ++r) {
        if (table[r].parent == kFatRootNumber) {
            firstAtRoot.try_emplace(table[r].self, r);
        }
    }
    std::vector<bool> namedLive(table.RowCount(), false);
    ForEachFatEntry(session, 0, true, [&](const FatDirEntry& entry) {
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

int BuildTree(RecoverySession& session, ProgressSink& progress, const std::string& fileSystem) {
    EntryTableT& table = session.Tables.EntryTable;
    TreeModel& tree = session.FolderTree;
    TreeFolderList& folders = session.Fat.TreeFolders;
    const TreeModel::Item root = EnsureRootItem(session);
    const bool fat = IsFat(fileSystem);

    std::vector<std::size_t> shown(table.RowCount(), 0);
    if (fat) {
        NameRootFolders(session, table);
        for (std::size_t r = 0; r < table.RowCount(); ++r) {
            const EntryRow& row = table[r];
            if (row.parent == kFatRootNumber) {
                ++shown[r];
                AddTreeFolder(session, root, row.name, row.self, row.parent, row.date, row.time,
                              row.deleted, TreeFolderList::npos);
            }
        }
    }
    tree.Expand(root);
    tree.SetText(root, "Root");
    PercentReporter percent(progress, "% Completed");
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
                AddTreeFolder(session, folders[walked].item, row.name, row.self, row.parent,
                              row.date, row.time, row.deleted, walked);
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
                AddTreeFolder(session, folders[lostRecord].item, row.name, row.self, row.parent,
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
        if (!folders[i].loaded) {
            LoadFolderOnce(session, folders[i].item);
        }
    }
    for (const TreeFolder& f : folders) {
        if (tree.Valid(f.item)) {
            tree.At(f.item).expanded = false;
        }
    }
    return 1;
}

} // namespace

void MarkOrphans(EntryTableT& table, ProgressSink& progress, std::uint32_t rootNumber) {
    std::unordered_set<std::uint32_t> numbers;
    numbers.reserve(table.RowCount());
    for (const EntryRow& row : table) {
        numbers.insert(row.self);
    }
    const std::size_t count = table.RowCount();
    PercentReporter percent(progress, "% Completed");
    int lastStatus = -1;
    for (std::size_t i = 0; i < count; ++i) {
        EntryRow& row = table[i];
        if (row.parent != rootNumber && numbers.count(row.parent) == 0) {
            row.parent = kLostFolderNumber;
        }
        if (i >= 1) {
            // The status follows the bar: once per percent, not once per row.
            const int now = static_cast<int>(std::min<std::size_t>(100, (100 * i) / count));
            if (now != lastStatus) {
                lastStatus = now;
                progress.SetStatus("Searching Lost Directories " + std::to_string(i) + "/" +
                                   std::to_string(count));
            }
            percent.Report(i, count);
        }
    }
}

TreeModel::Item EnsureRootItem(RecoverySession& session) {
    TreeModel& tree = session.FolderTree;
    TreeModel::Item& root = session.Fat.RootItem;
    if (tree.Valid(root)) {
        tree.SetText(root, "Root");
        return root;
    }
    root = tree.AddItem(TreeModel::kNone, "Root", kRootImage, kRootImage);
    tree.SetCheckState(root, TreeModel::kUnchecked);
    tree.Expand(root);
    return root;
}

TreeModel::Item AddTreeFolder(RecoverySession& session, TreeModel::Item parentItem,
                              std::string_view name, std::uint32_t selfId, std::uint32_t parentId,
                              std::int64_t date, std::int64_t time, bool deleted,
                              std::size_t parentRecord) {
    TreeModel& tree = session.FolderTree;
    const TreeModel::Item item = tree.AddItem(parentItem, name, kFolderImage, kFolderImage);
    tree.SetCheckState(item, TreeModel::kUnchecked);
    tree.SetCheckState(session.Fat.RootItem, TreeModel::kUnchecked);
    TreeFolder folder;
    folder.name = name;
    folder.item = item;
    folder.selfId = selfId;
    folder.parentId = parentId;
    folder.date = date;
    folder.time = time;
    folder.deleted = deleted;
    folder.parentRecord = parentRecord;
    session.Fat.TreeFolders.Append(std::move(folder));
    return item;
}

int BuildFatTree(RecoverySession& session, ProgressSink& progress) {
    return BuildTree(session, progress, session.Selected.fileSystem);
}

int BuildFatTreeCurrent(RecoverySession& session, ProgressSink& progress) {
    const std::string fs = session.Fat.Volume.FileSystem;
    return BuildTree(session, progress, fs == "FAT16" || fs == "FAT32" ? fs : std::string());
}

void AddFileSystemItems(RecoverySession& session) {
    TreeModel& tree = session.Fat.FileSystemTree;
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
    session.Fat.FirstFileSystemItem = TreeModel::kNone;
    const BootTableT& systems = session.Tables.BootTable2;
    for (std::size_t r = 0; r < systems.RowCount(); ++r) {
        const TreeModel::Item item =
            tree.AddItem(root, "File System " + std::to_string(r + 1) + " - " + systems[r].partType,
                         kFileSystemImage, kFileSystemImage);
        if (r == 0) {
            session.Fat.FirstFileSystemItem = item;
        }
    }
    tree.Expand(root);
}

} // namespace quorvane
