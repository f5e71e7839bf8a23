#include "engine/fat/FatFileSystems.h"
#include "engine/scan/FatScan.h"
#include "tests/fat/FatTestDisk.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorvane {
namespace {

using test::FatTestDisk;

LostDirRow Dir(std::uint64_t sector, std::uint32_t self) {
    LostDirRow r;
    r.sector = sector;
    r.self = self;
    return r;
}

TEST(IdentifyFatFileSystems, BootSectorsFirstThenPairsOfFolders) {
    FatTestDisk d(8);
    RecoverySession& s = d.Session();
    s.Selected.fileSystem = FileSystemKind::Fat16;
    BootRow boot;
    boot.sector = 4900;
    boot.spc = 4;
    boot.cluster0Start = 5000;
    boot.totalSectors = 9000;
    boot.partType = FileSystemKind::Fat16;
    s.Tables.BootTable.Append(boot);
    LostDirTableT& dirs = s.Tables.LostDirTable;
    dirs.Append(Dir(5012, 3));      // 5000 + 3 * 4: the boot sector's
    dirs.Append(Dir(5013, 3));      // one sector off: not
    dirs.Append(Dir(3, 5));         // no partner anywhere
    dirs.Append(Dir(1080, 10));     // with the next two: 8 sectors per cluster from 1000
    dirs.Append(Dir(1160, 20));     //
    dirs.Append(Dir(1120, 15));     //
    dirs.Append(Dir(71000, 70000)); // a pair with clusters past 0x10000: FAT32
    dirs.Append(Dir(71010, 70010));
    test::RecordingProgress progress;
    EXPECT_EQ(IdentifyFatFileSystems(s.Tables, s.Selected.fileSystem, progress), 3u);
    const BootTableT& fs = s.Tables.BootTable2;
    ASSERT_EQ(fs.RowCount(), 3u);
    EXPECT_EQ(fs[0].sector, 4900u); // the boot sector's row, whole
    EXPECT_EQ(fs[0].partType, FileSystemKind::Fat16);
    EXPECT_EQ(fs[1].sector, 0u); // built without a boot sector
    EXPECT_EQ(fs[1].spc, 8u);
    EXPECT_EQ(fs[1].cluster0Start, 1000u);
    EXPECT_EQ(fs[1].partType, FileSystemKind::Fat16);
    EXPECT_EQ(fs[2].spc, 1u);
    EXPECT_EQ(fs[2].cluster0Start, 1000u);
    EXPECT_EQ(fs[2].partType, FileSystemKind::Fat32);
    std::vector<std::uint32_t> numbers;
    for (const LostDirRow& r : dirs) {
        numbers.push_back(r.fileSystem);
    }
    EXPECT_EQ(numbers,
              (std::vector<std::uint32_t>{1, kNoFileSystem, kNoFileSystem, 2, 2, 2, 3, 3}));
    EXPECT_EQ(progress.progress.back().first, 100);
}

TEST(IdentifyFatFileSystems, NothingFoundEndsWithTheMessageAndNoChoice) {
    FatTestDisk d(256);
    RecoverySession& s = d.Session();
    s.Selected.fileSystem = FileSystemKind::Fat32;
    s.Search.Mode = SearchMode::Professional;
    s.Search.RangeEnd = 256;
    test::RecordingProgress progress;
    const FatScanResult r = FatScanThread(s, progress);
    EXPECT_EQ(r.fileSystems, 0u);
    EXPECT_FALSE(r.nextEnabled);
    ASSERT_EQ(d.questions.messages.size(), 1u);
    EXPECT_NE(d.questions.messages[0].find("No file system could be identified"),
              std::string::npos);
    EXPECT_EQ(s.Tables.MainList.RowCount(), 0u);
    ASSERT_EQ(s.Fat.FileSystemTree.TopLevel().size(), 1u);
    EXPECT_TRUE(s.Fat.FileSystemTree.Children(s.Fat.FileSystemTree.TopLevel()[0]).empty());
    EXPECT_NE(std::find(progress.hints.begin(), progress.hints.end(),
                        "No file system could be identified, Press back button and restart the "
                        "process."),
              progress.hints.end());
}

TEST(FatFileSystemThread, BuildsOnlyFromTheChosenFileSystemsFolders) {
    FatTestDisk d(64);
    RecoverySession& s = d.Session();
    BootRow a;
    a.spc = 1;
    a.cluster0Start = 7;
    a.partType = FileSystemKind::Fat16;
    s.Tables.BootTable2.Append(a);
    s.Tables.BootTable2.Append(a);
    LostDirRow one = Dir(9, 2);
    one.fileSystem = 1;
    LostDirRow two = Dir(10, 3);
    two.fileSystem = 2;
    s.Tables.LostDirTable.Append(one);
    s.Tables.LostDirTable.Append(two);
    SilentProgress progress;
    FatFileSystemThread(s, progress, 2);
    const TreeModel& tree = s.FolderTree;
    ASSERT_EQ(tree.Children(s.RootItem).size(), 2u);
    EXPECT_EQ(tree.At(tree.Children(s.RootItem)[0]).text, "Lost");
    EXPECT_EQ(tree.At(tree.Children(s.RootItem)[1]).text, "DIR0");
    EXPECT_EQ(s.TreeFolders[1].selfId, 3u);
    EXPECT_EQ(s.Current.RootSectors, 32u); // FAT16 without a boot sector
    EXPECT_EQ(s.Current.RootStart, 2u);
}

} // namespace
} // namespace quorvane
