#include "engine/fat/FatDirectory.h"
#include "engine/fat/FatListText.h"
#include "tests/fat/FatTestDisk.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using test::FatTestDisk;

constexpr std::uint16_t Date(unsigned y, unsigned m, unsigned d) {
    return static_cast<std::uint16_t>(((y - 1980) << 9) | (m << 5) | d);
}
constexpr std::uint16_t Time(unsigned h, unsigned m) {
    return static_cast<std::uint16_t>((h << 11) | (m << 5));
}

struct Row {
    std::string name, type, size, date, time, cluster;
    int image;
};

std::vector<Row> List(RecoverySession& s, std::uint32_t cluster, bool folderDeleted = false) {
    ListModel list;
    SetFileListColumns(list);
    const std::size_t n = ListFatDirectory(s.FatView(), list, 0, cluster, folderDeleted);
    EXPECT_EQ(n, list.RowCount());
    std::vector<Row> rows;
    for (std::size_t r = 0; r < list.RowCount(); ++r) {
        rows.push_back({list.Cell(r, 0), list.Cell(r, 1), list.Cell(r, 2), list.Cell(r, 3),
                        list.Cell(r, 4), list.Cell(r, 5), list.RowAt(r).image});
    }
    return rows;
}

std::vector<std::string> Names(const std::vector<Row>& rows) {
    std::vector<std::string> names;
    for (const Row& r : rows) {
        names.push_back(r.name);
    }
    return names;
}

TEST(FatDirectory, RootRegionRowsAndTheZeroRule) {
    FatTestDisk d(64);
    d.Entry(5, 0, "QV_LABEL", "", 0x08, 0); // a volume label is listed like a file
    d.Entry(5, 1,
            "\xE5"
            "EPORT",
            "DOC", 0x20, 40, 1234, Date(2024, 3, 15), Time(10, 5));
    d.Entry(5, 2, "readme", "", 0x20, 41, 7);
    d.Entry(5, 3, "NOTES", "Txt", 0x20, 42, 8, Date(2001, 13, 5), Time(23, 59));
    d.Entry(5, 4, "SUBDIR", "", 0x10, 43);    // sub-folders are not files
    d.Entry(5, 5, "GAR\x01", "BAG", 0x20, 0); // garbage names make no rows
    // Entry 6 is 0x00: ends this root sector only.
    d.Entry(5, 7, "HIDDEN", "TXT", 0x20, 44);
    d.Entry(6, 0, "A", "H", 0x20, 45, 3);
    RecoverySession& s = d.Session();
    s.Current = test::SmallFat16();

    const std::vector<Row> rows = List(s, 0);
    ASSERT_EQ(Names(rows),
              (std::vector<std::string>{"QV_LABEL", "_EPORT.DOC", "readme", "NOTES.Txt", "A.H"}));
    EXPECT_EQ(rows[1].type, "Deleted Word File");
    EXPECT_EQ(rows[1].image, 4);
    EXPECT_EQ(rows[1].size, "1234");
    EXPECT_EQ(rows[1].date, "15-Mar-2024");
    EXPECT_EQ(rows[1].time, "10:05");
    EXPECT_EQ(rows[1].cluster, "40");
    EXPECT_EQ(rows[2].type, "File");
    EXPECT_EQ(rows[2].image, 19);
    EXPECT_EQ(rows[3].type, "File"); // ".Txt" is not ".TXT": the match is case-sensitive
    EXPECT_EQ(rows[3].date, "05-Err-2001");
    EXPECT_EQ(rows[3].time, "23:59");
    EXPECT_EQ(rows[0].date, "00-Err-1980");
    EXPECT_EQ(rows[0].time, "00:00");
    EXPECT_EQ(rows[4].type, "Header file");
}

TEST(FatDirectory, ZeroEndsTheWholeChainOfASubFolder) {
    auto build = [](FatTestDisk& d, bool endMark) {
        d.Fat16(1, 2, 3);
        d.Fat16(1, 3, 0xFFFF);
        d.DotEntries(9, 2, 0);
        d.Entry(9, 2, "ONE", "TXT", 0x20, 10, 1);
        if (!endMark) {
            d.Entry(9, 3, "MID", "TXT", 0x20, 13, 1);
        }
        for (int i = 4; i < 16; ++i) {
            d.Entry(9, i, "F" + std::to_string(i), "BIN", 0x20, 20, 1);
        }
        d.Entry(10, 0, "TWO", "TXT", 0x20, 12, 1); // the next cluster
    };
    FatTestDisk ended(64);
    build(ended, true);
    RecoverySession& s = ended.Session();
    s.Current = test::SmallFat16();
    EXPECT_EQ(Names(List(s, 2)), (std::vector<std::string>{"ONE.TXT"}));
    EXPECT_TRUE(s.Fat.DirChain.Empty());

    FatTestDisk full(64);
    build(full, false);
    RecoverySession& t = full.Session();
    t.Current = test::SmallFat16();
    const std::vector<std::string> names = Names(List(t, 2));
    ASSERT_EQ(names.size(), 15u);
    EXPECT_EQ(names.back(), "TWO.TXT");
}

TEST(FatDirectory, LongNames) {
    FatTestDisk d(64);
    d.Fat16(1, 2, 3);
    d.Fat16(1, 3, 0xFFFF);
    d.DotEntries(9, 2, 0);
    // Exactly 13 characters: one entry, no terminator, ended by its last mark.
    int i = d.LongName(9, 2, u"Contacts1.csv");
    d.Entry(9, i++, "CONTAC~1", "CSV", 0x20, 30, 1);
    // 34 characters over three entries.
    i = d.LongName(9, i, u"Quarterly Report for the Board.txt");
    d.Entry(9, i++, "QUARTE~1", "TXT", 0x20, 31, 2);
    // Non-ASCII: the short name holds OEM bytes and is kept for its long name.
    i = d.LongName(9, i, u"Résumé ключ.txt");
    d.Entry(9, i++, "R\x82SUM~1", "TXT", 0x20, 32, 3);
    // The same OEM bytes without a long name are garbage.
    d.Entry(9, i++, "R\x82SUM~2", "TXT", 0x20, 33, 3);
    // A long name with a forbidden character drops the entry.
    i = d.LongName(9, i, u"what?.txt");
    d.Entry(9, i++, "WHAT~1", "TXT", 0x20, 34, 3);
    ASSERT_LE(i, 14);
    // A long name whose entries begin in the sector before (two entries at the
    // end of sector 9, the short entry first in sector 10).
    d.LongEntry(9, 14, u"Inventory report 2024.xlsx", 2, true);
    d.LongEntry(9, 15, u"Inventory report 2024.xlsx", 1, false);
    d.Entry(10, 0, "INVENT~1", "XLS", 0x20, 35, 5);
    // A deleted file whose long-name entries were marked deleted too.
    d.LongEntry(10, 1, u"Old Budget Draft.txt", 2, true);
    d.LongEntry(10, 2, u"Old Budget Draft.txt", 1, false);
    d.disk.Put8(10, 32, 0xE5);
    d.disk.Put8(10, 64, 0xE5);
    d.Entry(10, 3, "\xE5LDBUD~1", "TXT", 0x20, 36, 6);
    RecoverySession& s = d.Session();
    s.Current = test::SmallFat16();

    const std::vector<Row> rows = List(s, 2);
    EXPECT_EQ(Names(rows),
              (std::vector<std::string>{"Contacts1.csv", "Quarterly Report for the Board.txt",
                                        "Résumé ключ.txt", "Inventory report 2024.xlsx",
                                        "Old Budget Draft.txt"}));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[4].type, "Deleted Text file");
    EXPECT_EQ(rows[2].type, "Text file");
}

TEST(FatDirectory, ReadLongNameStopsAtTheDiskStartAndAtBadOffsets) {
    FatTestDisk d(4);
    d.LongEntry(0, 0, u"abc", 1, true);
    d.Entry(0, 1, "ABC", "", 0x20, 0);
    RecoverySession& s = d.Session();
    const auto name = ReadLongName(s.Reader, s.Device(),
                                   std::span<const std::byte>(d.disk.Sector(0), 512), 32, 0);
    ASSERT_TRUE(name);
    EXPECT_EQ(*name, u"abc");
    EXPECT_FALSE(ReadLongName(s.Reader, s.Device(),
                              std::span<const std::byte>(d.disk.Sector(0), 512), 0, 0));
    EXPECT_FALSE(ReadLongName(s.Reader, s.Device(),
                              std::span<const std::byte>(d.disk.Sector(0), 512), 33, 0));
}

TEST(FatDirectory, AFolderMarkedDeletedShowsDeletedTexts) {
    FatTestDisk d(64);
    d.Entry(5, 0, "LETTER", "DOC", 0x20, 3, 1);
    d.Entry(5, 1, "SONG", "au", 0x20, 4, 1);
    RecoverySession& s = d.Session();
    s.Current = test::SmallFat16();
    const std::vector<Row> rows = List(s, 0, true);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].type, "Deleted Word File");
    EXPECT_EQ(rows[1].type, "Deleted Sound file");
}

TEST(FatDirectory, NothingForOtherFileSystemsOrAFat32RootOfZero) {
    FatTestDisk d(64);
    d.Entry(5, 0, "A", "TXT", 0x20, 3, 1);
    RecoverySession& s = d.Session();
    s.Current = test::SmallFat16();
    s.Current.FileSystem = FileSystemKind::Ntfs;
    EXPECT_TRUE(List(s, 0).empty());
    s.Current.FileSystem = FileSystemKind::Fat32;
    s.Current.RootStart = 0;
    EXPECT_TRUE(List(s, 0).empty());
}

struct TypeCase {
    std::string_view name;
    int image;
    std::string_view text;
};
class TypeTableTest : public ::testing::TestWithParam<TypeCase> {};
TEST_P(TypeTableTest, ByEnding) {
    const FatFileType t = FatTypeOf(GetParam().name);
    EXPECT_EQ(t.image, GetParam().image) << GetParam().name;
    EXPECT_EQ(t.text, GetParam().text) << GetParam().name;
}
INSTANTIATE_TEST_SUITE_P(
    Cases, TypeTableTest,
    ::testing::Values(TypeCase{"a.doc", 4, "Microsoft Word File"},
                      TypeCase{"a.PPT", 5, "Microsoft Power Point File"},
                      TypeCase{"a.xls", 3, "Microsoft Excel File"},
                      TypeCase{"a.pdf", 15, "PDF file"}, TypeCase{"a.EXE", 7, "Executable file"},
                      TypeCase{"a.fon", 8, "Font file"}, TypeCase{"a.rar", 2, "Winzip File"},
                      TypeCase{"INDEX.HTML", 12, "Internet file"},
                      TypeCase{"a.htm", 12, "Internet file"}, TypeCase{"a.CHM", 13, "Help File"},
                      TypeCase{"a.reg", 16, "Registry file"}, TypeCase{"a.AU", 17, "Sound file"},
                      TypeCase{"a.avi", 18, "Video File"}, TypeCase{"a.cpp", 9, "C++ file"},
                      TypeCase{"x.H", 11, "Header file"}, TypeCase{"a.LOG", 20, "Text file"},
                      TypeCase{"readme", 19, "File"}, TypeCase{"a.Doc", 19, "File"},
                      TypeCase{"H", 19, "File"}));

} // namespace
} // namespace quorvane
