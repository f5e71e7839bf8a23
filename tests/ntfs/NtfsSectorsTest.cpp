#include "engine/ntfs/NtfsSectors.h"
#include "tests/ntfs/CraftedRecords.h"

#include <gtest/gtest.h>

#include <array>

namespace quorvane {
namespace {

using test::PutLe;
using test::PutText;

struct SectorCase {
    const char* what;
    const char* signature;
    std::uint16_t allocatedSize; // at 0x1C
    bool bootSignature;          // 0x55 0xAA at 510
    NtfsSectorKind kind;
};

TEST(ClassifyNtfsSector, TakesOnlyWhatTheScanWants) {
    const SectorCase cases[] = {
        {"FILE record of 1024 bytes", "FILE", 1024, false, NtfsSectorKind::MftRecord},
        {"FILE record of 4096 bytes", "FILE", 4096, false, NtfsSectorKind::Other},
        {"FILE record ending in 55 AA", "FILE", 1024, true, NtfsSectorKind::Other},
        {"index record", "INDX", 0, false, NtfsSectorKind::IndexRecord},
        {"index record ending in 55 AA", "INDX", 0, true, NtfsSectorKind::Other},
        {"boot sector", "\xEBR\x90NTFS    ", 0, true, NtfsSectorKind::BootSector},
        {"boot sector without its signature", "\xEBR\x90NTFS    ", 0, false, NtfsSectorKind::Other},
        {"FAT boot sector", "\xEB<\x90MSDOS5.0", 0, true, NtfsSectorKind::Other},
        {"lower-case file", "file", 1024, false, NtfsSectorKind::Other},
    };
    for (const SectorCase& c : cases) {
        std::array<std::byte, 512> sector{};
        PutText(sector, 0, c.signature);
        PutLe(sector, 0x1C, c.allocatedSize, 2);
        if (c.bootSignature) {
            PutLe(sector, 510, 0xAA55, 2);
        }
        EXPECT_EQ(ClassifyNtfsSector(sector), c.kind) << c.what;
    }
    EXPECT_EQ(ClassifyNtfsSector({}), NtfsSectorKind::Other);
}

TEST(NtfsBootRow, ColumnsOfAFoundBootSector) {
    std::array<std::byte, 512> boot{};
    PutText(boot, 3, "NTFS    ");
    PutLe(boot, 0x0D, 8, 1);
    PutLe(boot, 0x28, 0x1'2345'6789ull, 8); // more than 2^32 sectors
    PutLe(boot, 0x30, 786'432, 8);
    PutLe(boot, 0x38, 2, 8);
    PutLe(boot, 0x44, 1, 4);
    PutLe(boot, 510, 0xAA55, 2);

    const BootRow row = NtfsBootRow(boot, 2048);
    EXPECT_EQ(row.Cell(0), "2048");
    EXPECT_EQ(row.Cell(1), "8");
    EXPECT_EQ(row.Cell(2), "8");
    EXPECT_EQ(row.Cell(3), "2");
    EXPECT_EQ(row.Cell(4), "4886718345");
    EXPECT_EQ(row.Cell(5), "786432");
    EXPECT_EQ(row.Cell(6), "2");
    EXPECT_EQ(row.Cell(10), "");
}

TEST(NtfsBootRow, SectorsPerIndexRecord) {
    struct Case {
        std::uint8_t sectorsPerCluster;
        std::uint32_t clustersPerIndexRecord;
        std::uint64_t sectors;
    };
    for (const Case c :
         {Case{8, 1, 8}, Case{1, 8, 8}, Case{2, 4, 8}, Case{128, 0xF4, 8}, Case{128, 0xF3, 16},
          Case{1, 0xFF, 0}, Case{255, 0xFFFFFFFF, 255ull * 0xFFFFFFFF}}) {
        std::array<std::byte, 512> boot{};
        PutLe(boot, 0x0D, c.sectorsPerCluster, 1);
        PutLe(boot, 0x44, c.clustersPerIndexRecord, 4);
        EXPECT_EQ(NtfsSectorsPerIndexRecord(boot), c.sectors) << c.clustersPerIndexRecord;
    }
}

} // namespace
} // namespace quorvane
