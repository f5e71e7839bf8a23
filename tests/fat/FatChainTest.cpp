#include "engine/fat/FatChain.h"
#include "tests/fat/FatTestDisk.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvane {
namespace {

using test::FatTestDisk;

std::vector<std::uint32_t> Chain(RecoverySession& s, std::uint32_t first) {
    s.Fat.DirChain.Clear();
    WalkFatChain(s.FatView(), first, s.Fat.DirChain);
    return s.Fat.DirChain.Clusters();
}

TEST(FatChain, MakeDwordAndClusterToSector) {
    EXPECT_EQ(MakeDword(0x34, 0x12, 0x00, 0x00), 0x1234u);
    EXPECT_EQ(MakeDword(0x78, 0x56, 0x34, 0x12), 0x12345678u);
    EXPECT_EQ(MakeDword(0xFF, 0xFF, 0xFF, 0xFF), 0xFFFFFFFFu);
    CurrentVolume v;
    v.Cluster0Start = 100;
    v.SPC = 4;
    EXPECT_EQ(ClusterToSector(v, 2, 0), 108u);
    EXPECT_EQ(ClusterToSector(v, 3, 3), 115u);
}

struct NameCase {
    std::string_view name;
    bool valid;
};
class EntryNameTest : public ::testing::TestWithParam<NameCase> {};
TEST_P(EntryNameTest, EightBitRule) {
    EXPECT_EQ(IsValidEntryName(GetParam().name), GetParam().valid) << GetParam().name;
}
INSTANTIATE_TEST_SUITE_P(Cases, EntryNameTest,
                         ::testing::Values(NameCase{"REPORT.DOC", true}, NameCase{"A:B", true},
                                           NameCase{"", true}, NameCase{"TAB\tX", false},
                                           NameCase{"WHAT?", false}, NameCase{"CAF\xE9", false},
                                           NameCase{"A\"B", false}, NameCase{"A|B", false},
                                           NameCase{"A<B>", false}, NameCase{"A*B", false},
                                           NameCase{"A\\B", false}, NameCase{"A/B", false},
                                           NameCase{"\x7F", true}));

struct LongCase {
    std::u16string name;
    bool valid;
};
class LongNameTest : public ::testing::TestWithParam<LongCase> {};
TEST_P(LongNameTest, Utf16Rule) {
    EXPECT_EQ(IsValidLongName(GetParam().name), GetParam().valid);
}
INSTANTIATE_TEST_SUITE_P(Cases, LongNameTest,
                         ::testing::Values(LongCase{u"Résumé ключ.txt", true},
                                           LongCase{u"日本語のファイル", true},
                                           LongCase{u"emoji \U0001F600.txt", true},
                                           LongCase{u"a:b", true}, LongCase{u"tab\tname", false},
                                           LongCase{u"what?", false}, LongCase{u"pipe|", false},
                                           LongCase{std::u16string(1, u'\xD800'), false},
                                           LongCase{std::u16string(1, u'\xDC00') + u"x", false},
                                           LongCase{std::u16string(1, u'\xFFFF'), false},
                                           LongCase{std::u16string(1, u'\xFFFE'), false}));

TEST(FatChain, Fat16FollowsEntriesAndEndsAtEndMarks) {
    FatTestDisk d(64);
    d.Fat16(1, 5, 9);
    d.Fat16(1, 9, 6);
    d.Fat16(1, 6, 0xFFF8);
    d.Fat16(1, 7, 1); // below 2 ends
    RecoverySession& s = d.Session();
    s.Current = test::SmallFat16();
    EXPECT_EQ(Chain(s, 5), (std::vector<std::uint32_t>{5, 9, 6}));
    EXPECT_EQ(Chain(s, 7), (std::vector<std::uint32_t>{7}));
    // A free entry (a deleted file's first cluster) still gives its cluster.
    EXPECT_EQ(Chain(s, 8), (std::vector<std::uint32_t>{8}));
}

TEST(FatChain, Fat16CutAtTheSectorPastTheFat) {
    // SPF 2: FAT sectors 1..2 plus the sector index equal to SPF (2 -> sector 3).
    FatTestDisk d(64);
    d.Fat16(1, 2, 300);      // index 1
    d.Fat16(1, 300, 600);    // index 1 -> sector 2
    d.Fat16(1, 600, 770);    // 600 / 256 = 2 == SPF: still read
    d.Fat16(1, 770, 0xFFFF); // 770 / 256 = 3 > SPF: never read
    RecoverySession& s = d.Session();
    s.Current = test::SmallFat16();
    EXPECT_EQ(Chain(s, 2), (std::vector<std::uint32_t>{2, 300, 600, 770}));
    s.Current.FirstFAT = 0; // parameters missing
    EXPECT_EQ(Chain(s, 2), (std::vector<std::uint32_t>{2}));
}

TEST(FatChain, Fat32MasksTheUpperBits) {
    FatTestDisk d(64);
    d.Fat32(1, 2, 0xF0000003); // upper bits set: continues with 3
    d.Fat32(1, 3, 0x10000004);
    d.Fat32(1, 4, 0xFFFFFFFF); // masked to 0x0FFFFFFF: ends
    d.Fat32(1, 10, 0x0FFFFFF8);
    RecoverySession& s = d.Session();
    s.Current = test::SmallFat16();
    s.Current.FileSystem = FileSystemKind::Fat32;
    EXPECT_EQ(Chain(s, 2), (std::vector<std::uint32_t>{2, 3, 4}));
    EXPECT_EQ(Chain(s, 10), (std::vector<std::uint32_t>{10}));
}

TEST(FatChain, Fat12NibblesAcrossTheSectorBoundary) {
    // Entries 340 (even, bytes 510-511) and 341 (odd, bytes 511-512) share the
    // byte at offset 511, the last of the first FAT sector.
    FatTestDisk d(64);
    d.Fat12(1, 2, 341);
    d.Fat12(1, 341, 340);
    d.Fat12(1, 340, 3);
    d.Fat12(1, 3, 0xABC & 0x7FF); // 0x2BC = 700
    d.Fat12(1, 700, 0xFFF);
    RecoverySession& s = d.Session();
    s.Current = CurrentVolume::Floppy();
    EXPECT_EQ(Chain(s, 2), (std::vector<std::uint32_t>{2, 341, 340, 3, 700}));
}

TEST(FatChain, CyclesEndAtTheFirstRepeat) {
    FatTestDisk d(64);
    d.Fat16(1, 2, 3);
    d.Fat16(1, 3, 4);
    d.Fat16(1, 4, 2); // back to the start
    d.Fat16(1, 9, 9); // a cluster that names itself
    RecoverySession& s = d.Session();
    s.Current = test::SmallFat16();
    EXPECT_EQ(Chain(s, 2), (std::vector<std::uint32_t>{2, 3, 4}));
    EXPECT_EQ(Chain(s, 9), (std::vector<std::uint32_t>{9}));

    FatTestDisk d32(64);
    d32.Fat32(1, 5, 6);
    d32.Fat32(1, 6, 0xF0000005); // masked back to 5
    RecoverySession& s32 = d32.Session();
    s32.Current = test::SmallFat16();
    s32.Current.FileSystem = FileSystemKind::Fat32;
    EXPECT_EQ(Chain(s32, 5), (std::vector<std::uint32_t>{5, 6}));
}

TEST(FatChain, OtherFileSystemsAppendNothingAndListsAreNotEmptied) {
    FatTestDisk d(64);
    d.Fat16(1, 2, 0xFFFF);
    RecoverySession& s = d.Session();
    s.Current = test::SmallFat16();
    s.Current.FileSystem = FileSystemKind::Ntfs;
    EXPECT_TRUE(Chain(s, 2).empty());
    s.Current.FileSystem = FileSystemKind::Fat16;
    s.Fat.SaveChain.Clear();
    AppendCluster(s.Fat.SaveChain, 77);
    WalkFatChain(s.FatView(), 2, s.Fat.SaveChain);
    EXPECT_EQ(s.Fat.SaveChain.Clusters(), (std::vector<std::uint32_t>{77, 2}));
}

} // namespace
} // namespace quorvane
