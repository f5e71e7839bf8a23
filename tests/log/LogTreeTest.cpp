// The folder tree rebuilt from a log's folder records is the tree they were
// saved from, also where a builder shows one folder under several items.
#include "engine/log/LogTree.h"

#include "engine/fat/FatTree.h"
#include "tests/fat/FatTestDisk.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

EntryRow Folder(std::string name, std::uint32_t self, std::uint32_t parent, bool deleted = false) {
    EntryRow row;
    row.name = std::move(name);
    row.self = self;
    row.parent = parent;
    row.date = self * 3;
    row.time = self * 5;
    row.type = "FOLDER";
    row.deleted = deleted;
    return row;
}

// The folder records as a log stores them, as the loader's rows.
EntryTableT RowsOf(const TreeFolderList& folders) {
    EntryTableT table;
    for (const TreeFolder& f : folders) {
        EntryRow row = Folder(f.name, f.selfId, f.parentId, f.deleted);
        row.date = f.date;
        row.time = static_cast<std::uint32_t>(f.time);
        table.Append(std::move(row));
    }
    return table;
}

std::string Shape(const FolderTreeState& state) {
    return test::TreeText(state.FolderTree);
}

// Rebuilds the tree of `original` from its records alone.
void Rebuild(const FolderTreeState& original, FolderTreeState& rebuilt, std::uint32_t root) {
    EntryTableT rows = RowsOf(original.TreeFolders);
    const std::optional<LogTreePlan> plan = PlanTreeFromLog(rows, root);
    ASSERT_TRUE(plan.has_value());
    SilentProgress progress;
    EXPECT_EQ(BuildTreeFromLog(rebuilt, rows, *plan, progress), 1);
    EXPECT_EQ(rows.RowCount(), 0u);
}

TEST(LogTree, FatBuilderTreeComesBackItemForItem) {
    // Folders shown more than once (two directory copies claim cluster 100),
    // a deleted folder, an orphan under "Lost", a ring of two folders and one
    // that names itself as its parent, which the builder rescues under "Lost".
    test::FatTestDisk d(64);
    RecoverySession& s = d.Session();
    s.Current = test::SmallFat16();
    EntryTableT& table = s.Tables.EntryTable;
    table.Append(Folder("Lost", kLostFolderNumber, 0));
    table.Append(Folder("Alpha", 100, 0));
    table.Append(Folder("Alpha copy", 100, 0));
    table.Append(Folder("Beta", 110, 0, true));
    table.Append(Folder("Child", 200, 100));
    table.Append(Folder("Second child", 210, 100));
    table.Append(Folder("Grandchild", 300, 200));
    table.Append(Folder("Under beta", 310, 110, true));
    table.Append(Folder("Ring X", 400, 500));
    table.Append(Folder("Ring Y", 500, 400));
    table.Append(Folder("Orphan", 600, 999));
    table.Append(Folder("Self", 700, 700));
    SilentProgress progress;
    MarkOrphans(table, progress, kFatRootNumber);
    BuildFatTree(s.FatView(), s, table, FileSystemKind::Fat16, progress);
    // Under both Alphas: Child, Second child and Grandchild; three rescued.
    ASSERT_EQ(s.TreeFolders.Count(), 15u);

    FolderTreeState rebuilt;
    Rebuild(s, rebuilt, kFatRootNumber);
    EXPECT_EQ(Shape(rebuilt), Shape(s));
    EXPECT_EQ(test::FolderRecordsText(rebuilt.TreeFolders), test::FolderRecordsText(s.TreeFolders));
}

TEST(LogTree, NtfsLostAtTheTopWhateverItsParentSays) {
    for (const std::uint32_t lostParent : {kNtfsRootNumber, kLostFolderNumber}) {
        EntryTableT rows;
        rows.Append(Folder("Lost", kLostFolderNumber, lostParent));
        rows.Append(Folder("Users", 40, kNtfsRootNumber));
        rows.Append(Folder("orphan", 41, kLostFolderNumber));
        rows.Append(Folder("Public", 42, 40));
        const std::optional<LogTreePlan> plan = PlanTreeFromLog(rows, kNtfsRootNumber);
        ASSERT_TRUE(plan.has_value());
        EXPECT_EQ(plan->parentRow,
                  (std::vector<std::size_t>{LogTreePlan::kTop, LogTreePlan::kTop, 0, 1}));
    }
}

TEST(LogTree, RowsWithoutAPlaceGoUnderLostOrRoot) {
    EntryTableT rows;
    rows.Append(Folder("Top", 10, 0));
    rows.Append(Folder("Nowhere", 20, 77));            // no "Lost" in this tree: under "Root"
    rows.Append(Folder("Lost", kLostFolderNumber, 0)); // after the top block: its place is kept
    rows.Append(Folder("Stray", 30, 88));              // now under "Lost"
    const std::optional<LogTreePlan> plan = PlanTreeFromLog(rows, kFatRootNumber);
    ASSERT_TRUE(plan.has_value());
    EXPECT_EQ(plan->parentRow, (std::vector<std::size_t>{LogTreePlan::kTop, LogTreePlan::kTop,
                                                         LogTreePlan::kTop, 2}));
}

TEST(LogTree, ManyRowsOfOneNumberStayLinear) {
    // A damaged log: 50,000 folders all numbered 1, each naming 1 as its parent.
    EntryTableT rows;
    rows.Append(Folder("Top", 1, 0));
    for (int i = 0; i < 50000; ++i) {
        rows.Append(Folder("Same", 1, 1));
    }
    const std::optional<LogTreePlan> plan = PlanTreeFromLog(rows, kFatRootNumber);
    ASSERT_TRUE(plan.has_value());
    EXPECT_EQ(plan->parentRow.size(), rows.RowCount());
    std::stop_source source;
    source.request_stop();
    EXPECT_FALSE(PlanTreeFromLog(rows, kFatRootNumber, source.get_token()).has_value());
}

} // namespace
} // namespace quorvane
