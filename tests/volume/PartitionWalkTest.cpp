#include "engine/volume/PartitionWalk.h"
#include "platform/DeviceMap.h"
#include "tests/support/TestSupport.h"
#include "tests/volume/WalkTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>

namespace quorvane {
namespace {

using test::CraftedDisk;
using test::Listed;
using test::WalkBytes;
using test::Walker;

TEST(PartitionWalkTest, DecisionTableByTypeAndBootSectorStrings) {
    struct Case {
        std::uint8_t type;
        const char* text; // placed at its offset in the boot sector, or ""
        std::size_t offset;
        bool logical;
        const char* expected;
    };
    const Case cases[] = {
        {0x01, "", 0, false, ""},           {0x01, "", 0, true, "FAT16"},
        {0x04, "", 0, false, "FAT16"},      {0x06, "", 0, false, "FAT16"},
        {0x0E, "", 0, true, "FAT16"},       {0x07, "", 0, false, "NTFS"},
        {0x0B, "", 0, false, "FAT32"},      {0x0C, "", 0, true, "FAT32"},
        {0x83, "", 0, false, ""},           {0x83, "FAT32", 82, false, "FAT32"},
        {0x83, "FAT16", 54, true, "FAT16"}, {0x0C, "NTFS", 3, false, "NTFS"},
        {0x05, "", 0, false, ""},           {0x0F, "", 0, true, ""},
        {0x06, "FAT1", 82, false, "FAT16"}, // a partial string is no match
    };
    for (const Case& c : cases) {
        std::array<std::byte, 512> boot{};
        for (std::size_t i = 0; c.text[i] != 0; ++i) {
            boot[c.offset + i] = static_cast<std::byte>(c.text[i]);
        }
        EXPECT_EQ(FileSystemName(DecidePartitionFileSystem(ByteView(boot), c.type, c.logical)),
                  c.expected)
            << "type " << int(c.type) << " text '" << c.text << "' logical " << c.logical;
    }
}

TEST(PartitionWalkTest, EitherSignatureByteIsEnough) {
    for (auto [b510, b511, walked] : {std::tuple{0x55, 0x00, true}, std::tuple{0x00, 0xAA, true},
                                      std::tuple{0x00, 0x00, false}}) {
        CraftedDisk disk(256);
        disk.Put8(0, 510, static_cast<std::uint8_t>(b510));
        disk.Put8(0, 511, static_cast<std::uint8_t>(b511));
        disk.Entry(0, 0, 0x06, 63, 100);
        const auto listed = WalkBytes(disk);
        EXPECT_EQ(listed.size(), walked ? 1u : 0u) << b510 << "/" << b511;
    }
}

TEST(PartitionWalkTest, PrimaryAndLogicalPartitionsAreNumberedOnAndNamed) {
    // Three primaries (one of type 0x01, not listed), an extended partition with
    // two logicals: a type 0x01 logical and a type 0x83 holding "FAT32".
    CraftedDisk disk(4096);
    disk.Signature(0);
    disk.Entry(0, 0, 0x0C, 63, 100);
    disk.Entry(0, 1, 0x01, 200, 50);
    disk.Entry(0, 2, 0x07, 300, 100);
    disk.Entry(0, 3, 0x05, 1000, 3000);
    // First extended boot record at 1000: a type 0x01 logical at +63, link to +500.
    disk.Signature(1000);
    disk.Entry(1000, 0, 0x01, 63, 200);
    disk.Entry(1000, 1, 0x05, 500, 600);
    // Second record at 1500: a type 0x83 logical whose boot sector says FAT32.
    disk.Signature(1500);
    disk.Entry(1500, 0, 0x83, 63, 300);
    disk.PutText(1563, 82, "FAT32");

    const std::vector<Listed> expected = {
        {"Partition - 1 ( FAT32 )", 63, 163},
        {"Partition - 2 ( NTFS )", 300, 400},
        {"Partition - 3 ( FAT16 )", 1063, 1263},
        {"Partition - 4 ( FAT32 )", 1563, 1863},
    };
    EXPECT_EQ(WalkBytes(disk), expected);
}

TEST(PartitionWalkTest, EmptyExtendedPartitionAddsNothing) {
    CraftedDisk disk(2048);
    disk.Signature(0);
    disk.Entry(0, 0, 0x06, 63, 100);
    disk.Entry(0, 1, 0x0F, 1000, 1000); // its first record has no entries
    EXPECT_EQ(WalkBytes(disk).size(), 1u);
}

TEST(PartitionWalkTest, ChainPointingBackToAnEarlierRecordEnds) {
    CraftedDisk disk(4096);
    disk.Signature(0);
    disk.Entry(0, 0, 0x05, 1000, 3000);
    disk.Entry(1000, 0, 0x06, 63, 100);
    disk.Entry(1000, 1, 0x05, 500, 1000);
    disk.Entry(1500, 0, 0x06, 63, 100);
    disk.Entry(1500, 1, 0x05, 0, 1000); // back to the first record
    const auto listed = WalkBytes(disk);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1].first, 1563u);
}

TEST(PartitionWalkTest, FullTableEndsTheWalkAtTwentySix) {
    // 40 logical partitions in a chain of distinct records.
    CraftedDisk disk(40 * 200 + 2000);
    disk.Signature(0);
    disk.Entry(0, 0, 0x0F, 1000, 40 * 200);
    for (std::uint32_t k = 0; k < 40; ++k) {
        const std::uint64_t record = 1000 + k * 200;
        disk.Entry(record, 0, 0x06, 10, 100);
        if (k + 1 < 40) {
            disk.Entry(record, 1, 0x05, (k + 1) * 200, 200);
        }
    }
    Walker w(disk.bytes);
    const auto listed = w.Walk();
    ASSERT_EQ(listed.size(), DiskPartitions::kCapacity);
    EXPECT_EQ(listed.back().text, "Partition - 26 ( FAT16 )");
    EXPECT_TRUE(w.table[0].Full());
}

TEST(PartitionWalkTest, SecondWalkListsTheDiskAfresh) {
    CraftedDisk disk(1024);
    disk.Signature(0);
    disk.Entry(0, 0, 0x06, 63, 100);
    disk.Entry(0, 1, 0x07, 300, 100);
    Walker w(disk.bytes);
    EXPECT_EQ(w.Walk().size(), 2u);
    disk.Put8(0, 510, 0);
    disk.Put8(0, 511, 0); // the table is gone
    EXPECT_EQ(w.Walk().size(), 0u);
    EXPECT_EQ(w.table[0].count, 0u) << "no partition of the earlier walk may stay";
}

// The demo disk and the other fixtures made by sfdisk: our list equals the
// manifest, and mmls of The Sleuth Kit sees the same partitions.
class FixtureWalkTest : public ::testing::TestWithParam<std::string> {};

std::vector<std::pair<std::uint64_t, std::uint64_t>> MmlsPartitions(const std::string& image) {
    // mmls lists data partitions with a description other than the table,
    // "Unallocated" and extended containers; the columns are
    // slot, start, end (inclusive), length, description.
    const std::string command = "mmls -a '" + image + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> out;
    if (!pipe) {
        return out;
    }
    char line[512];
    while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
        std::istringstream in(line);
        std::string index, slot, description;
        std::uint64_t start = 0, end = 0, length = 0;
        if (!(in >> index >> slot >> start >> end >> length)) {
            continue;
        }
        std::getline(in, description);
        if (description.find("Extended") != std::string::npos ||
            description.find("Table") != std::string::npos) {
            continue;
        }
        out.emplace_back(start, end + 1);
    }
    return out;
}

TEST_P(FixtureWalkTest, MatchesManifestAndTheSleuthKit) {
    test::FixtureWalk walk(GetParam());
    walk.ExpectManifestPartitions();
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ours;
    for (std::uint32_t i = 0; i < walk.Disk().count; ++i) {
        ours.emplace_back(walk.Disk().partitions[i].firstSector,
                          walk.Disk().partitions[i].endSector);
    }

    if (std::system("command -v mmls >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "mmls (The Sleuth Kit) is not installed";
    }
    EXPECT_EQ(ours, MmlsPartitions(walk.image));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureWalkTest,
                         ::testing::Values("demo", "fat32-bootzero", "ntfs-bootzero",
                                           "ntfs-mftzero", "fat16-fat2bad"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 c = c == '-' ? '_' : c;
                             }
                             return name;
                         });

} // namespace
} // namespace quorvane
