#include "engine/fat/FatTree.h"
#include "engine/browse/FolderBrowser.h"
#include "engine/browse/FolderTreeListing.h"
#include "engine/fat/FatListText.h"
#include "engine/fat/LostDirSearch.h"
#include "engine/scan/FatScan.h"
#include "tests/fat/FatTestDisk.h"

#include <gtest/gtest.h>

#include <map>

namespace quorvane {
namespace {

using test::FatTestDisk;

// A small FAT16 volume (layout of SmallFat16: root at 5, cluster c at 7 + c):
//   DOCS (2) / "Sub Folder Long" (4)
//   OLD (3, deleted entry) / INNER (5)
//   cluster 6: a folder whose parent 99 is nowhere -> Lost
//   cluster 8: a folder start whose "." names 7: not where it lies
void BuildVolume(FatTestDisk& d) {
    for (std::uint32_t c = 2; c < 20; ++c) {
        d.Fat16(1, c, 0xFFFF);
    }
    d.Entry(5, 0, "DOCS", "", 0x10, 2);
    d.Entry(5, 1, "\xE5LD", "", 0x10, 3);
    d.Entry(5, 2, "A", "TXT", 0x20, 7, 10);
    d.DotEntries(9, 2, 0, 0x5873, 0x5000);
    const int i = d.LongName(9, 2, u"Sub Folder Long");
    d.Entry(9, i, "SUBFOL~1", "", 0x10, 4);
    d.Entry(9, i + 1, "IN", "DOC", 0x20, 9, 20);
    d.DotEntries(10, 3, 0);
    d.Entry(10, 2, "INNER", "", 0x10, 5);
    d.Entry(10, 3, "KEEP", "TXT", 0x20, 11, 30);
    d.DotEntries(11, 4, 2);
    d.DotEntries(12, 5, 3);
    d.DotEntries(13, 6, 99);
    d.DotEntries(15, 7, 0); // lies at cluster 8
}

void Prepare(RecoverySession& s) {
    s.Selected.fileSystem = FileSystemKind::Fat16;
    test::SmallFat16().ToParams(s.Volume);
    SetFileListColumns(s.Tables.MainList);
    s.Search.Mode = SearchMode::Standard;
    s.Search.RangeEnd = 64;
    s.Current = test::SmallFat16();
}

std::vector<std::string> ChildTexts(const TreeModel& tree, TreeModel::Item item) {
    std::vector<std::string> texts;
    for (const TreeModel::Item c : tree.Children(item)) {
        texts.push_back(tree.At(c).text);
    }
    return texts;
}

TreeModel::Item Child(const TreeModel& tree, TreeModel::Item item, const std::string& text) {
    for (const TreeModel::Item c : tree.Children(item)) {
        if (tree.At(c).text == text) {
            return c;
        }
    }
    return TreeModel::kNone;
}

TEST(LostDirSearch, StandardAcceptsOnlyFoldersAtTheirOwnCluster) {
    FatTestDisk d(64);
    BuildVolume(d);
    RecoverySession& s = d.Session();
    Prepare(s);
    test::RecordingProgress progress;
    LostDirSearch(s, s, s.Tables.EntryTable, progress);
    const EntryTableT& t = s.Tables.EntryTable;
    ASSERT_EQ(t.RowCount(), 6u); // Lost and clusters 2..6
    EXPECT_EQ(t.Cell(0, 0), "Lost");
    EXPECT_EQ(t.Cell(0, 2), "268435455");
    EXPECT_EQ(t.Cell(0, 7), "16");
    EXPECT_EQ(t.Cell(1, 0), "Dir1");
    EXPECT_EQ(t.Cell(1, 1), "9");
    EXPECT_EQ(t.Cell(1, 2), "2");
    EXPECT_EQ(t.Cell(1, 3), "0");
    EXPECT_EQ(t.Cell(1, 4), std::to_string(0x5873));
    EXPECT_EQ(t.Cell(1, 5), std::to_string(0x5000));
    EXPECT_EQ(t.Cell(1, 9), "FOLDER");
    EXPECT_EQ(t.Cell(5, 3), "99");
    ASSERT_FALSE(progress.statuses.empty());
    EXPECT_EQ(progress.statuses.front(), "Sector  0 / 64");
    ASSERT_FALSE(progress.progress.empty());
    EXPECT_EQ(progress.progress.back().second,
              std::to_string(progress.progress.back().first) + " % Completed");
}

TEST(LostDirSearch, ProfessionalRecordsEveryFolderStartAndBootSector) {
    FatTestDisk d(64);
    BuildVolume(d);
    // A FAT32 boot sector at 40.
    d.disk.Put8(40, 0x0D, 8);
    d.disk.Put16(40, 0x0E, 32);
    d.disk.Put32(40, 0x20, 1000);
    d.disk.Put32(40, 0x24, 100);
    d.disk.Put32(40, 0x2C, 2);
    d.disk.PutText(40, 0x52, "FAT32   ");
    d.disk.Signature(40);
    RecoverySession& s = d.Session();
    Prepare(s);
    s.Search.RangeStart = 0;
    s.Search.RangeEnd = 50; // groups of 16: sectors up to 63 are examined
    test::RecordingProgress progress;
    LostDirSearchPro(s, s.Search, s.Tables, progress);
    const LostDirTableT& dirs = s.Tables.LostDirTable;
    ASSERT_EQ(dirs.RowCount(), 6u); // the misplaced one at 15 included
    EXPECT_EQ(dirs.Cell(5, 0), "15");
    EXPECT_EQ(dirs.Cell(5, 1), "7");
    EXPECT_EQ(dirs.Cell(0, 3), "0");
    ASSERT_EQ(s.Tables.BootTable.RowCount(), 1u);
    const BootRow& b = s.Tables.BootTable[0];
    EXPECT_EQ(b.sector, 40u);
    EXPECT_EQ(b.spf, 100u);
    EXPECT_EQ(b.spc, 8u);
    EXPECT_EQ(b.rootStart, 2u);
    EXPECT_EQ(b.cluster0Start, 40u + 32 + 200 - 16);
    EXPECT_EQ(b.firstFat, 72u);
    EXPECT_EQ(b.secondFat, 172u);
    EXPECT_EQ(b.totalSectors, 1040u);
    EXPECT_EQ(b.partType, FileSystemKind::Fat32);
}

TEST(FatTree, BuildsNamedTreeWithLostAndDeletedFolders) {
    FatTestDisk d(64);
    BuildVolume(d);
    RecoverySession& s = d.Session();
    Prepare(s);
    test::RecordingProgress progress;
    LostDirSearch(s, s, s.Tables.EntryTable, progress);
    MarkOrphans(s.Tables.EntryTable, progress, kFatRootNumber);
    EXPECT_EQ(s.Tables.EntryTable.Cell(5, 3), "268435455");
    EXPECT_EQ(BuildFatTree(s.FatView(), s, s.Tables.EntryTable, s.Selected.fileSystem, progress),
              1);
    EXPECT_EQ(s.Tables.EntryTable.RowCount(), 0u);

    const TreeModel& tree = s.FolderTree;
    const TreeModel::Item root = s.RootItem;
    EXPECT_EQ(tree.At(root).text, "Root");
    EXPECT_EQ(tree.At(root).image, kRootImage);
    EXPECT_EQ(ChildTexts(tree, root), (std::vector<std::string>{"Lost", "DOCS", "_LD"}));
    const TreeModel::Item docs = Child(tree, root, "DOCS");
    EXPECT_EQ(ChildTexts(tree, docs), (std::vector<std::string>{"Sub Folder Long"}));
    EXPECT_EQ(ChildTexts(tree, Child(tree, root, "_LD")), (std::vector<std::string>{"INNER"}));
    EXPECT_EQ(ChildTexts(tree, Child(tree, root, "Lost")), (std::vector<std::string>{"Dir5"}));
    for (const TreeFolder& f : s.TreeFolders) {
        EXPECT_TRUE(f.loaded) << f.name;
        EXPECT_EQ(tree.At(f.item).checkState, TreeModel::kUnchecked);
        EXPECT_EQ(tree.At(f.item).image, kFolderImage);
        EXPECT_FALSE(tree.At(f.item).expanded);
    }
    int last = -1;
    for (const auto& [p, text] : progress.progress) {
        EXPECT_LE(p, 100);
        EXPECT_EQ(text, std::to_string(p) + (text.find(" %") != std::string::npos ? " % Completed"
                                                                                  : "% Completed"));
        (void)last;
    }

    // Opening the deleted folder lists its sub-folder as deleted and marks it.
    const TreeModel::Item old = Child(tree, root, "_LD");
    s.Tables.MainList.DeleteAll();
    const FolderListFill fill = FillFolderList(s.Browse(), old);
    ASSERT_EQ(fill.folderRows, 1u);
    ASSERT_EQ(fill.fileRows, 1u);
    EXPECT_EQ(s.Tables.MainList.Cell(0, 0), "INNER");
    EXPECT_EQ(s.Tables.MainList.Cell(0, 1), "Deleted FOLDER");
    EXPECT_EQ(s.Tables.MainList.Cell(0, 5), "5");
    EXPECT_EQ(s.Tables.MainList.Cell(0, 6), "3");
    EXPECT_EQ(s.Tables.MainList.Cell(1, 0), "KEEP.TXT");
    EXPECT_EQ(s.Tables.MainList.Cell(1, 1), "Deleted Text file");
    const std::size_t inner = s.TreeFolders.FirstWithItem(Child(tree, old, "INNER"));
    EXPECT_TRUE(s.TreeFolders[inner].deleted);

    // The root lists its folders (Lost among them) and its files.
    s.Tables.MainList.DeleteAll();
    const FolderListFill top = FillFolderList(s.Browse(), root, true);
    EXPECT_EQ(top.folderRows, 3u);
    EXPECT_EQ(s.Tables.MainList.Cell(1, 1), "Folder");
    EXPECT_EQ(s.Tables.MainList.Cell(1, 3), "19-Mar-2024");
    EXPECT_EQ(s.Tables.MainList.Cell(1, 4), "10:00");
    EXPECT_EQ(s.Tables.MainList.Cell(2, 1), "Deleted Folder");
    EXPECT_EQ(top.fileRows, 1u);
    // Lost has no directory of its own: no files.
    s.Tables.MainList.DeleteAll();
    EXPECT_EQ(FillFolderList(s.Browse(), Child(tree, root, "Lost")).fileRows, 0u);
}

TEST(FatTree, AFolderIsReadOnceHoweverOftenItIsExpanded) {
    FatTestDisk d(64);
    BuildVolume(d);
    RecoverySession& s = d.Session();
    Prepare(s);
    test::RecordingProgress progress;
    LostDirSearch(s, s, s.Tables.EntryTable, progress);
    MarkOrphans(s.Tables.EntryTable, progress, kFatRootNumber);
    BuildFatTree(s.FatView(), s, s.Tables.EntryTable, s.Selected.fileSystem, progress);
    const TreeModel::Item docs = Child(s.FolderTree, s.RootItem, "DOCS");
    const TreeModel::Item sub = Child(s.FolderTree, docs, "Sub Folder Long");
    s.FolderTree.SetText(sub, "renamed by hand");
    OnItemExpanding(s.Browse(), docs, true);
    OnItemExpanding(s.Browse(), docs, false);
    OnItemExpanding(s.Browse(), docs, true);
    EXPECT_EQ(s.FolderTree.At(sub).text, "renamed by hand");
    EXPECT_EQ(ItemPath(s.FolderTree, s.RootItem, sub), "DOCS\\renamed by hand");
    EXPECT_EQ(ItemPath(s.FolderTree, s.RootItem, docs), "DOCS");
    EXPECT_EQ(ItemPath(s.FolderTree, s.RootItem, s.RootItem), "");
}

// Rows straight into EntryTable: rings, self-parents and repeated numbers.
EntryRow Folder(std::string name, std::uint32_t self, std::uint32_t parent) {
    EntryRow r;
    r.name = std::move(name);
    r.self = self;
    r.parent = parent;
    r.attr = 16;
    r.type = "FOLDER";
    return r;
}

std::map<std::string, std::vector<std::string>> Shape(RecoverySession& s) {
    std::map<std::string, std::vector<std::string>> shape;
    ListFolderTree(s.Browse(), [&](const ListedEntry& e) {
        if (!e.folder) {
            return;
        }
        std::string parent;
        for (std::size_t i = 0; i + 1 < e.path.size(); ++i) {
            parent += "/" + e.path[i];
        }
        shape[parent].push_back(e.path.back());
    });
    return shape;
}

TEST(FatTree, RingsSelfParentsAndRepeatsEnd) {
    FatTestDisk d(64); // all zeros: no root names, empty directories
    RecoverySession& s = d.Session();
    Prepare(s);
    EntryTableT& t = s.Tables.EntryTable;
    EntryRow lost = Folder("Lost", kLostFolderNumber, 0);
    t.Append(lost);
    t.Append(Folder("A", 10, 11)); // A and B are each other's parent
    t.Append(Folder("B", 11, 10));
    t.Append(Folder("C", 12, 12)); // its own parent
    t.Append(Folder("D", 20, 0));
    t.Append(Folder("E", 20, 0)); // repeats D's number
    t.Append(Folder("F", 21, 20));
    t.Append(Folder("G", 30, 77)); // parent nowhere
    test::RecordingProgress progress;
    MarkOrphans(t, progress, kFatRootNumber);
    EXPECT_EQ(t[1].parent, 11u) << "a ring's parents exist: they are not orphans";
    EXPECT_EQ(t[7].parent, kLostFolderNumber);
    BuildFatTree(s.FatView(), s, s.Tables.EntryTable, s.Selected.fileSystem, progress);

    const auto shape = Shape(s);
    EXPECT_EQ(shape.at(""), (std::vector<std::string>{"Lost", "D", "E"}));
    EXPECT_EQ(shape.at("/D"), (std::vector<std::string>{"F"}));
    EXPECT_EQ(shape.at("/E"), (std::vector<std::string>{"F"}));
    // G by the orphan pass; the ring and the self-parent are rescued into Lost.
    EXPECT_EQ(shape.at("/Lost"), (std::vector<std::string>{"G", "A", "C"}));
    EXPECT_EQ(shape.at("/Lost/A"), (std::vector<std::string>{"B"}));
    EXPECT_EQ(shape.count("/Lost/A/B"), 0u);
}

TEST(FatTree, OnlyTheLostRowGivesRootWithLost) {
    FatTestDisk d(64);
    RecoverySession& s = d.Session();
    Prepare(s);
    s.Tables.EntryTable.Append(Folder("Lost", kLostFolderNumber, 0));
    test::RecordingProgress progress;
    MarkOrphans(s.Tables.EntryTable, progress, kFatRootNumber);
    BuildFatTree(s.FatView(), s, s.Tables.EntryTable, s.Selected.fileSystem, progress);
    EXPECT_EQ(ChildTexts(s.FolderTree, s.RootItem), (std::vector<std::string>{"Lost"}));
}

TEST(FolderTree, ThreeStateChecks) {
    TreeModel tree;
    const auto root = tree.AddItem(TreeModel::kNone, "Root", 2, 2);
    const auto a = tree.AddItem(root, "a", 3, 3);
    const auto a1 = tree.AddItem(a, "a1", 3, 3);
    const auto a2 = tree.AddItem(a, "a2", 3, 3);
    const auto b = tree.AddItem(root, "b", 3, 3);
    for (const auto i : {root, a, a1, a2, b}) {
        tree.SetCheckState(i, TreeModel::kUnchecked);
    }
    ToggleCheck(tree, a);
    EXPECT_EQ(tree.At(a1).checkState, TreeModel::kChecked);
    EXPECT_EQ(tree.At(a2).checkState, TreeModel::kChecked);
    EXPECT_EQ(tree.At(root).checkState, TreeModel::kPartlyChecked);
    ToggleCheck(tree, a1);
    EXPECT_EQ(tree.At(a).checkState, TreeModel::kPartlyChecked);
    EXPECT_EQ(tree.At(root).checkState, TreeModel::kPartlyChecked);
    ToggleCheck(tree, a2);
    EXPECT_EQ(tree.At(a).checkState, TreeModel::kUnchecked);
    EXPECT_EQ(tree.At(root).checkState, TreeModel::kUnchecked);
    ToggleCheck(tree, root);
    for (const auto i : {root, a, a1, a2, b}) {
        EXPECT_EQ(tree.At(i).checkState, TreeModel::kChecked);
    }
    ToggleCheck(tree, b);
    EXPECT_EQ(tree.At(root).checkState, TreeModel::kPartlyChecked);
    ToggleCheck(tree, root); // a partly checked item unchecks its whole subtree
    for (const auto i : {root, a, a1, a2, b}) {
        EXPECT_EQ(tree.At(i).checkState, TreeModel::kUnchecked);
    }
}

// Stops the search once it has found `after` folders.
class StopAfter final : public ProgressSink {
public:
    StopAfter(std::stop_source& source, int after) : source_(source), after_(after) {}
    void SetCounter(std::string_view caption, std::string_view value) override {
        if (caption == kDirectoriesFound && std::stoi(std::string(value)) > after_) {
            source_.request_stop();
        }
    }

private:
    std::stop_source& source_;
    int after_;
};

TEST(FatScan, AStoppedSearchStillBuildsTheTree) {
    FatTestDisk d(64);
    BuildVolume(d);
    RecoverySession& s = d.Session();
    Prepare(s);
    s.Search.VolumeParamsFilled = true;
    std::stop_source source;
    StopAfter sink(source, 1); // once DOCS is found
    const FatScanResult r = FatScanThread(s, sink, source.get_token());
    EXPECT_TRUE(r.stopped);
    EXPECT_FALSE(r.treeBuilt);
    EXPECT_EQ(s.Tables.EntryTable.RowCount(), 2u);
    ScanWorker idle;
    const FatScanResult end = StopFatSearch(s, sink, idle);
    EXPECT_TRUE(end.treeBuilt);
    EXPECT_EQ(ChildTexts(s.FolderTree, s.RootItem), (std::vector<std::string>{"Lost", "DOCS"}));
    EXPECT_EQ(s.Tables.MainList.ColumnCount(), 8u);
}

TEST(FatScan, ParametersThatCannotBeCalculatedAreSaidAndTheSearchGoesOn) {
    FatTestDisk d(64); // nothing on it
    RecoverySession& s = d.Session();
    s.Selected.fileSystem = FileSystemKind::Fat16;
    s.Selected.lastSector = 63;
    s.Search.Mode = SearchMode::Standard;
    s.Search.RangeEnd = 64;
    test::RecordingProgress progress;
    const FatScanResult r = FatScanThread(s, progress);
    ASSERT_EQ(d.questions.messages.size(), 1u);
    EXPECT_NE(d.questions.messages[0].find("Unable to calculate partition parameters"),
              std::string::npos);
    EXPECT_TRUE(r.treeBuilt);
    EXPECT_EQ(ChildTexts(s.FolderTree, s.RootItem), (std::vector<std::string>{"Lost"}));
    EXPECT_EQ(progress.hints.back(),
              "To save items, please select and press save button or right click on right hand "
              "pane.");
}

TEST(FatScan, WorkerRunsAndStops) {
    FatTestDisk d(64);
    BuildVolume(d);
    RecoverySession& s = d.Session();
    Prepare(s);
    s.Search.VolumeParamsFilled = true;
    SilentProgress progress;
    ScanWorker worker;
    FatScanResult result;
    worker.Start([&](std::stop_token stop) { result = FatScanThread(s, progress, stop); });
    worker.Wait();
    EXPECT_TRUE(result.treeBuilt);
    EXPECT_FALSE(worker.Running());
    EXPECT_EQ(ChildTexts(s.FolderTree, s.RootItem),
              (std::vector<std::string>{"Lost", "DOCS", "_LD"}));
}

} // namespace
} // namespace quorvane
