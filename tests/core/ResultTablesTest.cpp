#include "engine/core/ResultTables.h"
#include "engine/core/CellText.h"
#include "engine/core/TreeModel.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(CellTextTest, NumberFormsMatchTheirCFormats) {
    EXPECT_EQ(Decimal(0xFFFFFFFFu), "4294967295"); // -1 as "%lu"
    EXPECT_EQ(Decimal(0x0FFFFFFFu), "268435455");
    EXPECT_EQ(Decimal16(0xFFFF), "65535");
    EXPECT_EQ(Decimal64(-1), "-1");
    EXPECT_EQ(Decimal64(133000000000000000), "133000000000000000");
    EXPECT_EQ(Flag(true), "1");
    EXPECT_EQ(Flag(false), "");
    // Readers convert the way the C library does.
    EXPECT_EQ(ParseDecimal(""), 0u);
    EXPECT_EQ(ParseDecimal("12abc"), 12u);
    EXPECT_EQ(ParseDecimal64("-5"), -5);
    EXPECT_FALSE(ParseFlag(""));
    EXPECT_TRUE(ParseFlag("1"));
}

TEST(ResultTableTest, RowOperationsKeepInsertionOrder) {
    ResultTables tables;
    EntryTableT& t = tables.EntryTable;
    EXPECT_EQ(t.RowCount(), 0u);
    t.InsertRow(0, "Lost");
    t.InsertRow(1, "Dir1");
    t.InsertRow(1, "Dir0");  // the rows behind move down
    t.InsertRow(99, "Dir2"); // past the end appends
    ASSERT_EQ(t.RowCount(), 4u);
    EXPECT_EQ(t.Cell(1, 0), "Dir0");
    EXPECT_EQ(t.Cell(3, 0), "Dir2");

    t.SetCell(1, 2, "268435455");
    t.SetCell(1, 42, "ignored"); // a column the table does not have
    t.SetCell(17, 0, "ignored"); // a row it does not have
    EXPECT_EQ(t[1].self, 0x0FFFFFFFu);
    EXPECT_EQ(t.Cell(1, 2), "268435455");
    EXPECT_EQ(t.Cell(1, 42), "");
    EXPECT_EQ(t.Cell(1, 10), "") << "an unset flag reads empty";

    t.DeleteRow(0);
    EXPECT_EQ(t.Cell(0, 0), "Dir0");
    EXPECT_EQ(t.RowCount(), 3u);
    t.DeleteAll();
    EXPECT_EQ(t.RowCount(), 0u);
}

TEST(ResultTableTest, CellsAreCutToTheReadersBuffer) {
    ResultTables tables;
    tables.EntryTable2.InsertRow(0, "Quarterly Report for the Board.txt");
    EXPECT_EQ(tables.EntryTable2.Cell(0, 0, 11), "Quarterly ");
    EXPECT_EQ(tables.EntryTable2.Cell(0, 0, 1), "");
    EXPECT_EQ(tables.EntryTable2.Cell(0, 0, 256), "Quarterly Report for the Board.txt");
}

// Every typed cell survives the round trip through its text form, the way the
// recovery log stores and restores rows.
TEST(ResultTableTest, TextFormsRoundTrip) {
    EntryRow e;
    e.name = "Résumé ключ.txt";
    e.sector = 5000000000ull;
    e.self = 0x0FFFFFFF;
    e.parent = 5;
    e.date = -2;
    e.time = 0xFFFF;
    e.size = 123456789012ull;
    e.attr = 16;
    e.type = "FILE";
    e.deleted = true;
    EntryRow back;
    for (std::size_t c = 0; c < EntryRow::kHeaders.size(); ++c) {
        back.SetCell(c, e.Cell(c));
    }
    for (std::size_t c = 0; c < EntryRow::kHeaders.size(); ++c) {
        EXPECT_EQ(back.Cell(c), e.Cell(c)) << "column " << c;
    }

    BootRow b;
    b.sector = 63;
    b.spf = 513;
    b.spc = 1;
    b.partType = FileSystemKind::Fat32;
    BootRow b2;
    for (std::size_t c = 0; c < BootRow::kHeaders.size(); ++c) {
        b2.SetCell(c, b.Cell(c));
    }
    EXPECT_EQ(b2.spf, 513u);
    EXPECT_EQ(b2.Cell(10), "FAT32");

    LostDirRow fat;
    fat.SetCell(5, "30336");
    EXPECT_EQ(fat.time, 30336u);
    LostDirRow ntfs;
    ntfs.SetCell(5, "Photos");
    EXPECT_EQ(ntfs.Cell(5), "Photos");

    EXPECT_EQ(MftRecordRow{}.Cell(3), "4294967295") << "fsNumber starts unassigned";
}

TEST(ResultTableTest, HeadersAndFixedRows) {
    ResultTables tables;
    EXPECT_EQ(EntryTableT::Header(0), "Name");
    EXPECT_EQ(EntryTableT::Header(10), "Deleted");
    EXPECT_EQ(BootTableT::Header(1), "SPF");
    EXPECT_EQ(BootTableT::Header(2), "SPC");
    EXPECT_EQ(LostDirTableT::ColumnCount(), 7u);
    EXPECT_EQ(MftEntryTableT::Header(8), "First Run");
    EXPECT_EQ(tables.RawResultList.Columns().at(0).header, " Files Recovered");
    ASSERT_EQ(tables.FileTypeList.RowCount(), 4u);
    EXPECT_EQ(tables.FileTypeList.Cell(3, 0), "Compressed File(s) (.Zip)");
}

TEST(ResultTableTest, ValidationKeepsTheBootTables) {
    ResultTables tables;
    tables.EntryTable.InsertRow(0, "Lost");
    tables.MftEntryTable.InsertRow(0, "x");
    tables.BootTable.InsertRow(0, "63");
    tables.BootTable2.InsertRow(0, "63");
    tables.ClearForValidation();
    EXPECT_EQ(tables.EntryTable.RowCount(), 0u);
    EXPECT_EQ(tables.MftEntryTable.RowCount(), 0u);
    EXPECT_EQ(tables.BootTable.RowCount(), 1u);
    EXPECT_EQ(tables.BootTable2.RowCount(), 1u);
    tables.ClearAllHidden();
    EXPECT_EQ(tables.BootTable2.RowCount(), 0u);
}

TEST(TreeModelTest, ItemsKeepOrderAndHandles) {
    TreeModel tree;
    const auto root = tree.AddItem(TreeModel::kNone, "Disk 0", 2, 2);
    const auto a = tree.AddItem(root, "Partition - 1 ( FAT32 )", 1, 1);
    const auto b = tree.AddItem(root, "Partition - 2 ( NTFS )", 1, 1);
    EXPECT_EQ(tree.Children(root), (std::vector<TreeModel::Item>{a, b}));
    EXPECT_EQ(tree.Parent(b), root);
    EXPECT_EQ(tree.AddItem(12345, "orphan", 1, 1), TreeModel::kNone);
    tree.Clear();
    EXPECT_FALSE(tree.Valid(a));
    EXPECT_EQ(tree.ItemCount(), 0u);
}

} // namespace
} // namespace quorvane
