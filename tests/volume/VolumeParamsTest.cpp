#include "engine/volume/VolumeCalculation.h"
#include "engine/volume/VolumeValidation.h"
#include "platform/DeviceMap.h"
#include "platform/MemoryBlockDevice.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using test::CraftedDisk;
using test::RecordingProgress;

// The parameters a volume must have, worked out from the numbers the
// formatting tool reported (the manifest), not from our own code.
VolumeParams ExpectedFromManifest(const nlohmann::json& volume, bool mftGone = false) {
    const auto& p = volume["params"];
    const std::uint64_t s = volume["firstSector"];
    VolumeParams v;
    const std::string fs = volume["fileSystem"];
    if (fs == "NTFS") {
        const std::uint64_t spc = p["sectorsPerCluster"];
        v.sectorsPerCluster = spc;
        v.mftSector = mftGone ? 0 : s + spc * p["mftCluster"].get<std::uint64_t>();
        v.mftMirrorSector = s + spc * p["mftMirrCluster"].get<std::uint64_t>();
        v.sectorsPerMftRecord = 2;   // 1024-byte records
        v.sectorsPerIndexRecord = 8; // 4096-byte index records
        v.cluster0Start = s;
        return v;
    }
    const std::uint64_t reserved = p["reservedSectors"];
    const std::uint64_t spf = p["sectorsPerFat"];
    const std::uint64_t spc = p["sectorsPerCluster"];
    v.sectorsPerFat = spf;
    v.sectorsPerCluster = spc;
    v.reservedSectors = reserved;
    v.firstFat = s + reserved;
    v.secondFat = s + reserved + spf;
    if (fs == "FAT32") {
        v.rootStart = p["rootCluster"];
    } else {
        v.rootSectors = p["rootEntries"].get<std::uint64_t>() / 16;
        v.rootStart = s + reserved + 2 * spf;
    }
    v.cluster0Start = s + reserved + 2 * spf + v.rootSectors - 2 * spc;
    return v;
}

void ExpectParams(const VolumeParams& got, const VolumeParams& want) {
    EXPECT_EQ(got.sectorsPerFat, want.sectorsPerFat);
    EXPECT_EQ(got.sectorsPerCluster, want.sectorsPerCluster);
    EXPECT_EQ(got.rootSectors, want.rootSectors);
    EXPECT_EQ(got.rootStart, want.rootStart);
    EXPECT_EQ(got.reservedSectors, want.reservedSectors);
    EXPECT_EQ(got.cluster0Start, want.cluster0Start);
    EXPECT_EQ(got.firstFat, want.firstFat);
    EXPECT_EQ(got.secondFat, want.secondFat);
    EXPECT_EQ(got.mftSector, want.mftSector);
    EXPECT_EQ(got.mftMirrorSector, want.mftMirrorSector);
    EXPECT_EQ(got.sectorsPerMftRecord, want.sectorsPerMftRecord);
    EXPECT_EQ(got.sectorsPerIndexRecord, want.sectorsPerIndexRecord);
}

// A session over one disk, image file or crafted bytes.
struct Disk {
    explicit Disk(const std::string& image) {
        files.Map(DeviceNameTable::NameOf(0), test::FixturePath(image + ".img").string());
    }
    explicit Disk(const std::vector<std::byte>& bytes) {
        memory.Map(DeviceNameTable::NameOf(0), bytes);
    }

    SelectedPartition Partition(const std::string& fs, std::uint64_t first, std::uint64_t last) {
        SelectedPartition p;
        p.fileSystem = FileSystemFromName(fs);
        p.firstSector = first;
        p.lastSector = last;
        return p;
    }
    bool Validate(const SelectedPartition& p) {
        return ValidateVolume(reader(), device, p, params, tables, progress);
    }
    bool Calculate(const SelectedPartition& p, std::stop_token stop = {}) {
        return CalculateVolume(reader(), device, p, params, progress, stop);
    }
    SectorReader& reader() {
        if (!sectorReader) {
            platform::DeviceOpener& opener =
                memory.Open(device) ? static_cast<platform::DeviceOpener&>(memory) : files;
            sectorReader = std::make_unique<SectorReader>(opener, questions, selection);
        }
        return *sectorReader;
    }

    const std::string device = DeviceNameTable::NameOf(0);
    platform::DeviceMap files;
    platform::MemoryDeviceOpener memory;
    test::ScriptedQuestions questions;
    DiskSelection selection;
    std::unique_ptr<SectorReader> sectorReader;
    VolumeParams params;
    ResultTables tables;
    RecordingProgress progress;
};

struct FixtureCase {
    std::string image;
    int partition; // 1-based, as listed
    bool validates;
    bool mftGone;
};

std::string CaseName(const ::testing::TestParamInfo<FixtureCase>& info) {
    std::string name = info.param.image + "_" + std::to_string(info.param.partition);
    for (char& c : name) {
        c = c == '-' ? '_' : c;
    }
    return name;
}

class ValidateFixtureTest : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(ValidateFixtureTest, ValidatesFromTheBootSectorOrItsCopies) {
    const FixtureCase c = GetParam();
    const auto manifest = test::LoadManifest(c.image);
    const auto& part = manifest["partitions"][static_cast<std::size_t>(c.partition - 1)];
    Disk disk(c.image);
    disk.tables.EntryTable.InsertRow(0, "Lost");
    disk.tables.BootTable.InsertRow(0, "63");
    const auto p = disk.Partition(part["fileSystem"], part["firstSector"],
                                  part["endSector"].get<std::uint64_t>() - 1);
    ASSERT_EQ(disk.Validate(p), c.validates);
    EXPECT_EQ(disk.tables.EntryTable.RowCount(), 0u) << "a validation starts a new search";
    EXPECT_EQ(disk.tables.BootTable.RowCount(), 1u);
    EXPECT_EQ(disk.progress.hints,
              std::vector<std::string>{"Validating Partition . Please Wait..."});
    EXPECT_EQ(disk.progress.statuses, std::vector<std::string>{"Validating Partition ..."});
    if (c.validates) {
        for (const auto& volume : manifest["volumes"]) {
            if (volume["partition"] == c.partition) {
                ExpectParams(disk.params, ExpectedFromManifest(volume, c.mftGone));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, ValidateFixtureTest,
    ::testing::Values(FixtureCase{"demo", 1, true, false}, FixtureCase{"demo", 2, true, false},
                      FixtureCase{"demo", 3, true, false}, FixtureCase{"demo", 4, true, false},
                      FixtureCase{"fat32-bootzero", 1, true, false}, // backup at +6
                      FixtureCase{"ntfs-bootzero", 1, true, false},  // copy at the last sector
                      FixtureCase{"ntfs-mftzero", 1, true, true},    // mirror only
                      FixtureCase{"fat16-fat2bad", 1, false, false}),
    CaseName);

// Calculate works from the directories alone; on an intact volume it must
// find what the boot sector says, and it rescues the volume validation rejects.
class CalculateFixtureTest : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(CalculateFixtureTest, InfersTheGeometryFromTwoDirectories) {
    const FixtureCase c = GetParam();
    const auto manifest = test::LoadManifest(c.image);
    const auto& part = manifest["partitions"][static_cast<std::size_t>(c.partition - 1)];
    Disk disk(c.image);
    const auto p = disk.Partition(part["fileSystem"], part["firstSector"],
                                  part["endSector"].get<std::uint64_t>() - 1);
    ASSERT_TRUE(disk.Calculate(p));
    VolumeParams want;
    for (const auto& volume : manifest["volumes"]) {
        if (volume["partition"] == c.partition) {
            want = ExpectedFromManifest(volume);
        }
    }
    ExpectParams(disk.params, want);
    EXPECT_EQ(disk.progress.hints,
              std::vector<std::string>{"Calculating Partition Params. Please Wait..."});
    EXPECT_EQ(disk.progress.statuses, std::vector<std::string>{"Calculating Partition Params..."});
    EXPECT_EQ(disk.progress.shown, 1);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, CalculateFixtureTest,
                         ::testing::Values(FixtureCase{"demo", 1, true, false},
                                           FixtureCase{"demo", 2, true, false},
                                           FixtureCase{"demo", 4, true, false},
                                           FixtureCase{"fat16-fat2bad", 1, true, false}),
                         CaseName);

// Crafted FAT16 volume at sector 100: reserved 1, two FATs of 8 sectors,
// 512 root entries, 4 sectors per cluster.
CraftedDisk CraftedFat16(std::uint64_t sectors = 2000) {
    CraftedDisk disk(sectors);
    const std::uint64_t s = 100;
    disk.Put8(s, 0x0D, 4);
    disk.Put16(s, 0x0E, 1);
    disk.Put16(s, 0x11, 512);
    disk.Put16(s, 0x16, 8);
    disk.Signature(s);
    disk.Put16(s + 1, 0, 0xFFF8); // first FAT
    disk.Put16(s + 9, 0, 0xFFF8); // second FAT
    return disk;
}

// A directory's first sector: "." with its own cluster, ".." with the parent's.
void PutDirectory(CraftedDisk& disk, std::uint64_t sector, std::uint16_t self,
                  std::uint16_t parent) {
    disk.PutText(sector, 0, ".          ");
    disk.Put8(sector, 11, 0x10);
    disk.Put16(sector, 26, self);
    disk.PutText(sector, 32, "..         ");
    disk.Put8(sector, 43, 0x10);
    disk.Put16(sector, 58, parent);
}

TEST(CalculateTest, OneDirectoryIsNotEnough) {
    CraftedDisk disk = CraftedFat16();
    // Data starts at 100 + 1 + 16 + 32 = 149: cluster 2 there, cluster c at 149 + 4(c-2).
    PutDirectory(disk, 149 + 4 * 3, 5, 0);
    Disk d(disk.bytes);
    EXPECT_FALSE(d.Calculate(d.Partition("FAT16", 100, 1999)));
    PutDirectory(disk, 149 + 4 * 7, 9, 5);
    Disk d2(disk.bytes);
    ASSERT_TRUE(d2.Calculate(d2.Partition("FAT16", 100, 1999)));
    EXPECT_EQ(d2.params.sectorsPerCluster, 4u);
    EXPECT_EQ(d2.params.sectorsPerFat, 8u);
    // Both FATs start within the first ten sectors: the reserved count is the
    // distance to the first of them, not to the second.
    EXPECT_EQ(d2.params.reservedSectors, 1u);
    EXPECT_EQ(d2.params.secondFat, 109u);
    EXPECT_EQ(d2.params.cluster0Start, 141u);
    EXPECT_EQ(d2.params.rootStart, 117u);
}

TEST(CalculateTest, ReportsProgressEvery500SectorsAndStops) {
    CraftedDisk disk = CraftedFat16(3000);
    Disk d(disk.bytes);
    EXPECT_FALSE(d.Calculate(d.Partition("FAT16", 100, 2100)));
    ASSERT_EQ(d.progress.progress.size(), 3u);
    EXPECT_EQ(d.progress.progress[0], (std::pair<int, std::string>{25, "600"}));
    EXPECT_EQ(d.progress.progress[2], (std::pair<int, std::string>{75, "1600"}));

    std::stop_source stop;
    stop.request_stop();
    CraftedDisk withDirs = CraftedFat16();
    PutDirectory(withDirs, 149 + 4 * 3, 5, 0);
    PutDirectory(withDirs, 149 + 4 * 7, 9, 5);
    Disk d2(withDirs.bytes);
    EXPECT_FALSE(d2.Calculate(d2.Partition("FAT16", 100, 1999), stop.get_token()));
    Disk d3(withDirs.bytes);
    EXPECT_FALSE(d3.Calculate(d3.Partition("NTFS", 100, 1999)));
}

// Crafted NTFS boot sectors: first copy at 0, the other at 999.
CraftedDisk CraftedNtfs() {
    CraftedDisk disk(1000);
    for (std::uint64_t s : {0ull, 999ull}) {
        disk.PutText(s, 3, "NTFS    ");
        disk.Put8(s, 0x0D, 8);
        disk.Put32(s, 0x30, 4);   // $MFT at cluster 4 -> sector 32
        disk.Put32(s, 0x38, 100); // $MFTMirr at cluster 100 -> sector 800
        disk.Put32(s, 0x40, 0xF6);
        disk.Put32(s, 0x44, 1);
        disk.Signature(s);
    }
    disk.PutText(32, 0, "FILE0");
    disk.PutText(800, 0, "FILE0");
    return disk;
}

TEST(ValidateNtfsTest, DamagedFieldsFallBackToTheOtherCopy) {
    struct Case {
        const char* what;
        void (*damage)(CraftedDisk&);
        bool validates;
        std::uint64_t mft;
        std::uint64_t mirror;
        std::uint64_t indexSectors;
    };
    const Case cases[] = {
        {"intact", [](CraftedDisk&) {}, true, 32, 800, 8},
        {"bad cluster size, good copy", [](CraftedDisk& d) { d.Put8(0, 0x0D, 3); }, true, 32, 800,
         8},
        {"bad cluster size in both",
         [](CraftedDisk& d) {
             d.Put8(0, 0x0D, 0);
             d.Put8(999, 0x0D, 0);
         },
         false, 0, 0, 0},
        {"bad record size, good copy", [](CraftedDisk& d) { d.Put32(0, 0x40, 3); }, true, 32, 800,
         8},
        {"bad record size in both",
         [](CraftedDisk& d) {
             d.Put32(0, 0x40, 3);
             d.Put32(999, 0x40, 0x7FFFFFFF);
         },
         false, 0, 0, 0},
        {"wrong MFT cluster, good copy", [](CraftedDisk& d) { d.Put32(0, 0x30, 7); }, true, 32, 800,
         8},
        {"MFT gone", [](CraftedDisk& d) { d.PutText(32, 0, "XXXX"); }, true, 0, 800, 8},
        {"MFT and mirror gone",
         [](CraftedDisk& d) {
             d.PutText(32, 0, "XXXX");
             d.PutText(800, 0, "XXXX");
         },
         false, 0, 0, 0},
        {"no signature in either",
         [](CraftedDisk& d) {
             d.Put8(0, 511, 0);
             d.Put8(999, 511, 0);
         },
         false, 0, 0, 0},
        {"index record of 2 clusters", [](CraftedDisk& d) { d.Put32(0, 0x44, 2); }, true, 32, 800,
         16},
    };
    for (const Case& c : cases) {
        CraftedDisk disk = CraftedNtfs();
        c.damage(disk);
        Disk d(disk.bytes);
        ASSERT_EQ(d.Validate(d.Partition("NTFS", 0, 999)), c.validates) << c.what;
        if (c.validates) {
            EXPECT_EQ(d.params.mftSector, c.mft) << c.what;
            EXPECT_EQ(d.params.mftMirrorSector, c.mirror) << c.what;
            EXPECT_EQ(d.params.sectorsPerIndexRecord, c.indexSectors) << c.what;
            EXPECT_EQ(d.params.sectorsPerMftRecord, 2u) << c.what;
        }
    }
}

TEST(ValidateFatTest, CrossChecksAgainstTheFatsAndTheBackup) {
    // FAT16 needs both signature bytes and F8 at the second FAT.
    {
        CraftedDisk disk = CraftedFat16();
        Disk d(disk.bytes);
        EXPECT_TRUE(d.Validate(d.Partition("FAT16", 100, 1999)));
        disk.Put8(100, 511, 0);
        Disk d2(disk.bytes);
        EXPECT_FALSE(d2.Validate(d2.Partition("FAT16", 100, 1999)));
    }
    // FAT32 whose boot sector is signed but gives a wrong FAT size: the
    // geometry comes from the backup at +6.
    CraftedDisk disk(4000);
    for (std::uint64_t s : {0ull, 6ull}) {
        disk.Put8(s, 0x0D, 1);
        disk.Put16(s, 0x0E, 32);
        disk.Put32(s, 0x24, 600);
        disk.Put32(s, 0x2C, 2);
        disk.Signature(s);
    }
    disk.Put32(0, 0x24, 1234); // damaged
    disk.Put8(32 + 600, 0, 0xF8);
    Disk d(disk.bytes);
    ASSERT_TRUE(d.Validate(d.Partition("FAT32", 0, 3999)));
    EXPECT_EQ(d.params.sectorsPerFat, 600u);
    EXPECT_EQ(d.params.cluster0Start, 32u + 1200u - 2u);
    // A cluster size of 0 would divide every later computation by zero.
    disk.Put8(0, 0x0D, 0);
    disk.Put8(6, 0x0D, 0);
    Disk d2(disk.bytes);
    EXPECT_FALSE(d2.Validate(d2.Partition("FAT32", 0, 3999)));
    Disk d3(disk.bytes);
    EXPECT_FALSE(d3.Validate(d3.Partition("FAT12", 0, 3999)));
}

} // namespace
} // namespace quorvane
