#include "engine/volume/PartitionSearch.h"

#include "engine/disk/DiskCatalogue.h"
#include "engine/volume/PartitionWalk.h"
#include "platform/DeviceMap.h"
#include "platform/MemoryBlockDevice.h"
#include "platform/RegistryFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <unistd.h>

namespace quorvane {
namespace {

using test::CraftedDisk;
using test::RecordingProgress;
using test::ScriptedQuestions;

constexpr const char* kDisk = "\\\\.\\PhysicalDrive0";

struct Found {
    std::uint64_t first;
    std::string fileSystem;
    std::uint64_t end;
    bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f) {
    return out << f.fileSystem << "@" << f.first << ".." << f.end;
}

// One search over one disk, in the wizard's order: the tree in partition mode
// with the walk's partitions, then the search.
struct Search {
    explicit Search(platform::DeviceOpener& opener) : reader(opener, questions, selection) {
        root = tree.AddItem(TreeModel::kNone, "Disk 0", 2, 2);
    }
    PartitionSearchOutcome Run(SearchGeometry g, std::stop_token stop = {}) {
        return SearchPartitions(reader, kDisk, g, table[0], tree, root, progress, stop);
    }
    std::vector<Found> List() const {
        std::vector<Found> out;
        const DiskPartitions& d = table.at(0);
        for (std::uint32_t i = 0; i < d.count; ++i) {
            out.push_back({d.partitions[i].firstSector,
                           std::string(FileSystemName(d.partitions[i].fileSystem)),
                           d.partitions[i].endSector});
        }
        return out;
    }
    std::vector<std::string> Items() const {
        std::vector<std::string> texts;
        for (const TreeModel::Item item : tree.Children(root)) {
            texts.push_back(tree.At(item).text);
        }
        return texts;
    }

    ScriptedQuestions questions;
    DiskSelection selection;
    SectorReader reader;
    DiskPartitionTable table;
    TreeModel tree;
    TreeModel::Item root;
    RecordingProgress progress;
};

// A FAT or NTFS boot sector as the search recognises it.
void PutBootSector(CraftedDisk& disk, std::uint64_t sector, const std::string& fs,
                   std::uint32_t total32, std::uint16_t total16 = 0) {
    if (fs == "FAT32") {
        disk.PutText(sector, 0x52, "FAT32   ");
    } else if (fs == "FAT16") {
        disk.PutText(sector, 0x36, "FAT16   ");
    } else {
        disk.PutText(sector, 3, "NTFS    ");
    }
    if (fs == "NTFS") {
        disk.Put32(sector, 0x28, total32);
        disk.Put32(sector, 0x2C, 0xFFFFFFFF); // the high half is not used
    } else {
        disk.Put32(sector, 0x20, total32);
        disk.Put16(sector, 0x13, total16);
    }
    disk.Signature(sector);
}

// ---------------------------------------------------------------------------
// Fixture disks whose partition table was zeroed
// ---------------------------------------------------------------------------

struct FixtureCase {
    const char* image;
    SearchGeometry stored;
    std::vector<Found> expected;
};

std::ostream& operator<<(std::ostream& out, const FixtureCase& c) {
    return out << c.image << " " << c.stored.cylinders << "/" << c.stored.heads << "/"
               << c.stored.sectorsPerTrack;
}

// What TestDisk's analysis finds on an image: first sector and file system.
// Run on a copy, so that nothing can change the fixture.
std::optional<std::vector<std::pair<std::uint64_t, std::string>>>
TestDiskFinds(const std::filesystem::path& image) {
    if (std::system("command -v testdisk >/dev/null 2>&1") != 0) {
        return std::nullopt;
    }
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("qv-testdisk-" + std::to_string(::getpid()) + "-" + image.stem().string());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(image, dir / "disk.img");
    const std::string command =
        "cd '" + dir.string() + "' && testdisk /log /cmd disk.img analyze >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        std::filesystem::remove_all(dir);
        return std::nullopt;
    }
    std::ifstream log(dir / "testdisk.log");
    std::string line;
    bool inSearch = false;
    std::uint64_t heads = 255;
    std::uint64_t perTrack = 63;
    std::vector<std::pair<std::uint64_t, std::string>> found;
    // "     FAT16 <32M               0   1  1     1 254 63      32067 [LABEL]":
    // the kind, then the first and last sector as cylinder, head, sector.
    const std::vector<std::pair<std::string, std::string>> kinds = {
        {"FAT16 <32M", "FAT16"}, {"FAT16 >32M", "FAT16"}, {"FAT32 LBA", "FAT32"},
        {"FAT32", "FAT32"},      {"HPFS - NTFS", "NTFS"}, {"FAT12", "FAT12"}};
    while (std::getline(log, line)) {
        if (line.find("search_part()") != std::string::npos) {
            inSearch = true;
            continue;
        }
        if (line.find("interface_write()") != std::string::npos) {
            inSearch = false;
            continue;
        }
        if (!inSearch) {
            continue;
        }
        if (const std::size_t chs = line.find(" - CHS "); chs != std::string::npos) {
            std::istringstream numbers(line.substr(chs + 7));
            std::uint64_t cylinders = 0;
            numbers >> cylinders >> heads >> perTrack;
            continue;
        }
        const std::size_t text = line.find_first_not_of(' ');
        if (text == std::string::npos || text == 0) {
            continue;
        }
        for (const auto& [kind, name] : kinds) {
            if (line.compare(text, kind.size(), kind) != 0) {
                continue;
            }
            std::istringstream numbers(line.substr(text + kind.size()));
            std::uint64_t c = 0;
            std::uint64_t h = 0;
            std::uint64_t sector = 0;
            if (numbers >> c >> h >> sector && sector >= 1) {
                found.emplace_back((c * heads + h) * perTrack + sector - 1, name);
            }
            break;
        }
    }
    std::filesystem::remove_all(dir);
    return found;
}

class FixtureSearchTest : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(FixtureSearchTest, FindsEveryPartitionTheImageWasMadeWith) {
    const FixtureCase& c = GetParam();
    const std::filesystem::path image = test::FixturePath(std::string(c.image) + ".img");
    platform::DeviceMap devices;
    devices.Map(kDisk, image.string());
    Search s(devices);
    // The walk finds nothing: the table is gone.
    WalkPartitions(s.reader, kDisk, s.table[0], s.tree, s.root);
    ASSERT_EQ(s.table[0].count, 0u);

    const PartitionSearchOutcome outcome = s.Run(c.stored);
    EXPECT_FALSE(outcome.stopped);
    EXPECT_EQ(s.List(), c.expected);

    // Every partition of the manifest is among those found, with its file system.
    const nlohmann::json manifest = test::LoadManifest(c.image);
    for (const auto& p : manifest["partitions"]) {
        const auto first = p["firstSector"].get<std::uint64_t>();
        const auto it = std::find_if(c.expected.begin(), c.expected.end(),
                                     [&](const Found& f) { return f.first == first; });
        ASSERT_NE(it, c.expected.end()) << "missed the partition at " << first;
        EXPECT_EQ(it->fileSystem, p["fileSystem"].get<std::string>());
    }
    // The items read as the tree shows them, numbered from 1, and the first
    // partition presets the combo and the range.
    ASSERT_EQ(s.Items().size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
        EXPECT_EQ(s.Items()[i], PartitionItemText(static_cast<std::uint32_t>(i + 1),
                                                  FileSystemFromName(c.expected[i].fileSystem)));
    }
    EXPECT_EQ(outcome.comboText, c.expected.front().fileSystem);
    EXPECT_EQ(outcome.range.start, c.expected.front().first);
    EXPECT_EQ(outcome.range.end, c.expected.front().end);
    EXPECT_EQ(s.progress.progress.back().first, 100);
    EXPECT_EQ(s.questions.badSectorAsks, 0);
}

TEST_P(FixtureSearchTest, TestDiskFindsNothingWeMiss) {
    const FixtureCase& c = GetParam();
    const std::filesystem::path image = test::FixturePath(std::string(c.image) + ".img");
    const auto theirs = TestDiskFinds(image);
    if (!theirs) {
        GTEST_SKIP() << "testdisk is not installed";
    }
    platform::DeviceMap devices;
    devices.Map(kDisk, image.string());
    Search s(devices);
    s.Run(c.stored);
    const std::vector<Found> ours = s.List();

    std::ostringstream table;
    table << c.image << "\n  " << std::left << std::setw(28) << "quorvane"
          << "testdisk\n";
    for (std::size_t i = 0; i < std::max(ours.size(), theirs->size()); ++i) {
        std::ostringstream left;
        if (i < ours.size()) {
            left << ours[i].fileSystem << " @ " << ours[i].first;
        }
        table << "  " << std::setw(28) << left.str();
        if (i < theirs->size()) {
            table << (*theirs)[i].second << " @ " << (*theirs)[i].first;
        }
        table << "\n";
    }
    std::cout << table.str();
    for (const auto& [first, fs] : *theirs) {
        const bool found = std::any_of(ours.begin(), ours.end(), [&](const Found& f) {
            return f.first == first && f.fileSystem == fs;
        });
        EXPECT_TRUE(found) << "testdisk finds " << fs << " at " << first << ", we do not";
    }
}

INSTANTIATE_TEST_SUITE_P(
    ZeroedTables, FixtureSearchTest,
    ::testing::Values(
        // One track into cylinders of 255 x 63; the FAT16 volume keeps its
        // size in the 16-bit field.
        FixtureCase{"search-chs",
                    {8, 255, 63},
                    {{63, "FAT16", 32130}, {32193, "FAT32", 112455}, {112518, "NTFS", 131071}}},
        // Stored with 32 sectors per track: searched as 255 x 63.
        FixtureCase{"search-chs",
                    {64, 64, 32},
                    {{63, "FAT16", 32130}, {32193, "FAT32", 112455}, {112518, "NTFS", 131071}}},
        // Boot sectors at the cylinder starts: found by the second read.
        FixtureCase{
            "search-trackzero", {8, 255, 63}, {{16065, "FAT16", 48195}, {48195, "FAT32", 128520}}},
        // 1 MiB aligned: found only on the 1 MiB boundaries.
        FixtureCase{"search-mib",
                    {8, 255, 63},
                    {{2048, "FAT32", 68639},
                     {69632, "FAT16", 86012},
                     {88064, "NTFS", 104447},
                     {106496, "FAT16", 131066}}},
        // Stored with 16 heads: searched with that geometry.
        FixtureCase{"search-h16", {32, 16, 63}, {{1071, "FAT16", 15057}, {16191, "FAT16", 32130}}}),
    [](const auto& info) {
        std::string name = std::string(info.param.image) + "_" +
                           std::to_string(info.param.stored.heads) + "x" +
                           std::to_string(info.param.stored.sectorsPerTrack);
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST(PartitionSearchTest, MibPartitionsAreNotOnCylinders) {
    // Why the 1 MiB boundaries are searched at all: not one of these starts
    // where the cylinder walk looks.
    for (const std::uint64_t first : {2048, 69632, 88064, 106496}) {
        EXPECT_NE(first % 16065, 0u);
        EXPECT_NE(first % 16065, 63u);
    }
}

TEST(PartitionSearchTest, ReplacesTheWalksPartitions) {
    platform::DeviceMap devices;
    devices.Map(kDisk, test::FixturePath("demo.img").string());
    Search s(devices);
    WalkPartitions(s.reader, kDisk, s.table[0], s.tree, s.root);
    ASSERT_EQ(s.table[0].count, 4u);
    s.Run({8, 255, 63});
    // demo.img is 1 MiB aligned; the table is intact but not used.
    EXPECT_EQ(s.List(), (std::vector<Found>{{2048, "FAT32", 68639},
                                            {69632, "FAT16", 86012},
                                            {88064, "NTFS", 104447},
                                            {106496, "FAT16", 131066}}));
    EXPECT_EQ(s.Items(),
              (std::vector<std::string>{"Partition - 1 ( FAT32 )", "Partition - 2 ( FAT16 )",
                                        "Partition - 3 ( NTFS )", "Partition - 4 ( FAT16 )"}));
    EXPECT_EQ(s.table[0].defaultItem, s.tree.Children(s.root).front());
    EXPECT_TRUE(s.tree.At(s.root).expanded);
}

// ---------------------------------------------------------------------------
// Crafted disks
// ---------------------------------------------------------------------------

struct CraftedSearch {
    CraftedDisk disk;
    platform::MemoryDeviceOpener opener;
    std::unique_ptr<Search> search;
    explicit CraftedSearch(std::uint64_t sectors) : disk(sectors) {}
    Search& Start() {
        opener.Map(kDisk, disk.bytes);
        search = std::make_unique<Search>(opener);
        return *search;
    }
};

struct TotalCase {
    const char* fs;
    std::uint32_t total32;
    std::uint16_t total16;
    std::uint64_t end; // first is 63
};

class TotalSectorsTest : public ::testing::TestWithParam<TotalCase> {};

TEST_P(TotalSectorsTest, EndSectorFromTheBootSector) {
    const TotalCase& c = GetParam();
    CraftedSearch crafted(16065 * 2);
    PutBootSector(crafted.disk, 63, c.fs, c.total32, c.total16);
    Search& s = crafted.Start();
    s.Run({2, 255, 63});
    EXPECT_EQ(s.List(), (std::vector<Found>{{63, c.fs, c.end}}));
}

INSTANTIATE_TEST_SUITE_P(Fields, TotalSectorsTest,
                         ::testing::Values(TotalCase{"FAT32", 70000, 0, 70063},
                                           TotalCase{"FAT16", 70000, 1234, 70063},
                                           // 32-bit field 0: the 16-bit one holds the size
                                           TotalCase{"FAT16", 0, 20000, 20063},
                                           // both 0: nothing to go on
                                           TotalCase{"FAT16", 0, 0, 63},
                                           // only the low 32 bits count
                                           TotalCase{"NTFS", 30000, 0, 30063}));

TEST(PartitionSearchTest, FileSystemDecisionOrderAndRejects) {
    std::array<std::byte, 512> b{};
    auto put = [&](std::size_t at, std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            b[at + i] = static_cast<std::byte>(text[i]);
        }
    };
    EXPECT_EQ(FileSystemName(DecideSearchedBootSector(ByteView(b), 0).fileSystem), "");
    put(3, "NTFS");
    EXPECT_EQ(FileSystemName(DecideSearchedBootSector(ByteView(b), 0).fileSystem), "NTFS");
    put(0x39, "16");
    EXPECT_EQ(FileSystemName(DecideSearchedBootSector(ByteView(b), 0).fileSystem), "FAT16");
    put(0x55, "32");
    EXPECT_EQ(FileSystemName(DecideSearchedBootSector(ByteView(b), 0).fileSystem), "FAT32");
    put(0x36, "FAT12");
    put(0x55, "00");
    EXPECT_EQ(FileSystemName(DecideSearchedBootSector(ByteView(b), 0).fileSystem),
              "NTFS"); // FAT12 is not listed
    EXPECT_EQ(
        DecideSearchedBootSector(ByteView(std::span<const std::byte>(b).first(10)), 0).fileSystem,
        FileSystemKind::Ntfs);
}

TEST(PartitionSearchTest, NothingFoundLeavesAnEmptyListAndRangeZero) {
    CraftedSearch crafted(16065 * 3);
    crafted.disk.Signature(63); // a signature without a file system
    Search& s = crafted.Start();
    const PartitionSearchOutcome outcome = s.Run({3, 255, 63});
    EXPECT_TRUE(s.List().empty());
    EXPECT_TRUE(s.Items().empty()); // the placeholder is gone again
    EXPECT_EQ(outcome.comboText, "UNKNOWN");
    EXPECT_EQ(outcome.comboIndex, -1);
    EXPECT_EQ(outcome.range.start, 0u);
    EXPECT_EQ(outcome.range.end, 0u);
    EXPECT_EQ(outcome.cylindersSearched, 3u);
    ASSERT_FALSE(s.progress.hints.empty());
    EXPECT_EQ(s.progress.hints.front().rfind("This process will take few minutes", 0), 0u);
}

TEST(PartitionSearchTest, MissingGeometrySearchesNothing) {
    CraftedSearch crafted(4096);
    PutBootSector(crafted.disk, 2048, "FAT32", 100);
    Search& s = crafted.Start();
    for (const SearchGeometry g :
         {SearchGeometry{0, 255, 63}, SearchGeometry{5, 0, 63}, SearchGeometry{0, 0, 0}}) {
        EXPECT_EQ(s.Run(g).cylindersSearched, 0u);
        EXPECT_TRUE(s.List().empty());
    }
}

TEST(PartitionSearchTest, GeometryLargerThanTheDiskStopsAtItsEnd) {
    CraftedSearch crafted(16065 * 2 + 100);
    PutBootSector(crafted.disk, 16065 * 2 + 63, "FAT16", 10); // past the last whole cylinder
    PutBootSector(crafted.disk, 16065 + 63, "FAT32", 10);
    Search& s = crafted.Start();
    s.Run({UINT64_MAX, UINT64_MAX, 63});
    EXPECT_EQ(s.questions.badSectorAsks, 0); // no read past the end
    EXPECT_TRUE(s.List().empty()) << "a cylinder of 2^64 heads holds only sector 0";
    const PartitionSearchOutcome huge = s.Run({1000000, 255, 63});
    EXPECT_EQ(huge.cylindersSearched, 3u);
    EXPECT_EQ(s.List(), (std::vector<Found>{{16065 + 63, "FAT32", 16065 + 73},
                                            {16065 * 2 + 63, "FAT16", 16065 * 2 + 73}}));
    EXPECT_EQ(s.questions.badSectorAsks, 0);
}

TEST(PartitionSearchTest, CylinderAndBoundaryAtTheSameSectorListItOnce) {
    // 2048 heads x 63 sectors: every cylinder start is also a 1 MiB boundary.
    CraftedSearch crafted(129024 + 100);
    PutBootSector(crafted.disk, 129024, "FAT32", 50);
    Search& s = crafted.Start();
    s.Run({2, 2048, 63});
    EXPECT_EQ(s.List(), (std::vector<Found>{{129024, "FAT32", 129074}}));
}

TEST(PartitionSearchTest, ListsInAscendingSectorOrder) {
    // 32 x 63: cylinder 1 starts at 2016, one track in is 2079, and the 1 MiB
    // boundary 2048 lies between the two.
    CraftedSearch crafted(2016 * 3);
    PutBootSector(crafted.disk, 2079, "FAT16", 10);
    PutBootSector(crafted.disk, 2048, "NTFS", 10);
    Search& s = crafted.Start();
    s.Run({3, 32, 63});
    EXPECT_EQ(s.List(), (std::vector<Found>{{2048, "NTFS", 2058}, {2079, "FAT16", 2089}}));
}

// A disk in memory whose chosen sectors fail to read.
class DamagedOpener final : public platform::DeviceOpener {
public:
    DamagedOpener(const std::vector<std::byte>& bytes, std::set<std::uint64_t> bad)
        : bytes_(bytes), bad_(std::move(bad)) {}
    std::unique_ptr<platform::BlockDevice> Open(const std::string&) override {
        class Device final : public platform::BlockDevice {
        public:
            Device(const std::vector<std::byte>& bytes, const std::set<std::uint64_t>& bad)
                : inner_(bytes.data(), bytes.size()), bad_(bad) {}
            std::int64_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override {
                const auto it = bad_.lower_bound(offset / 512);
                if (it != bad_.end() && *it * 512 < offset + out.size()) {
                    return -1;
                }
                return inner_.ReadAt(offset, out);
            }
            std::uint64_t Size() const override { return inner_.Size(); }

        private:
            platform::MemoryBlockDevice inner_;
            const std::set<std::uint64_t>& bad_;
        };
        return std::make_unique<Device>(bytes_, bad_);
    }

private:
    const std::vector<std::byte>& bytes_;
    std::set<std::uint64_t> bad_;
};

TEST(PartitionSearchTest, UnreadableSectorsYieldNoPartition) {
    CraftedDisk disk(16065 * 3);
    PutBootSector(disk, 63, "FAT16", 10);
    PutBootSector(disk, 16065 + 63, "FAT32", 10);
    PutBootSector(disk, 16065 * 2, "NTFS", 10);
    DamagedOpener opener(disk.bytes, {16065 + 63, 16065 * 2});
    Search s(opener);
    s.Run({3, 255, 63});
    EXPECT_EQ(s.List(), (std::vector<Found>{{63, "FAT16", 73}}));
    EXPECT_GE(s.questions.badSectorAsks, 1);
}

TEST(PartitionSearchTest, EndsWhenTheTableIsFull) {
    CraftedSearch crafted(2048 * 40);
    for (std::uint64_t i = 1; i < 40; ++i) {
        PutBootSector(crafted.disk, i * 2048, "FAT16", 100);
    }
    Search& s = crafted.Start();
    const PartitionSearchOutcome outcome = s.Run({5, 255, 63});
    EXPECT_TRUE(outcome.tableFull);
    EXPECT_EQ(s.List().size(), DiskPartitions::kCapacity);
    EXPECT_EQ(s.Items().back(), "Partition - 26 ( FAT16 )");
}

// Stops when asked between two cylinders, with what it found kept.
class StopAtProgress final : public ProgressSink {
public:
    StopAtProgress(std::stop_source& stop, int at) : stop_(stop), at_(at) {}
    void SetProgress(int position, std::string_view) override {
        positions.push_back(position);
        if (position >= at_) {
            stop_.request_stop();
        }
    }
    std::vector<int> positions;

private:
    std::stop_source& stop_;
    int at_;
};

TEST(PartitionSearchTest, StopInTheMiddleKeepsWhatWasFound) {
    platform::DeviceMap devices;
    devices.Map(kDisk, test::FixturePath("search-chs.img").string());
    Search s(devices);
    std::stop_source stop;
    StopAtProgress progress(stop, 37); // cylinder 3 of 8
    const PartitionSearchOutcome outcome = SearchPartitions(
        s.reader, kDisk, {8, 255, 63}, s.table[0], s.tree, s.root, progress, stop.get_token());
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.cylindersSearched, 4u);
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 12, 25, 37}));
    EXPECT_EQ(s.List(), (std::vector<Found>{{63, "FAT16", 32130}, {32193, "FAT32", 112455}}));
    EXPECT_EQ(s.Items().size(), 2u); // every partition with its item
    EXPECT_EQ(outcome.comboText, "UNKNOWN");
}

TEST(PartitionSearchTest, NinetyFiveFamilyWorkerOnlyRunsTheBar) {
    RecordingProgress progress;
    int waits = 0;
    RunNinetyFiveFamilySearch(progress, {}, [&](std::chrono::milliseconds ms) {
        EXPECT_EQ(ms.count(), 100);
        ++waits;
    });
    EXPECT_EQ(waits, 100);
    ASSERT_EQ(progress.progress.size(), 101u);
    for (int i = 0; i <= 100; ++i) {
        EXPECT_EQ(progress.progress[static_cast<std::size_t>(i)].first, i);
    }
    // Stop ends it at once.
    std::stop_source stop;
    RecordingProgress stopped;
    RunNinetyFiveFamilySearch(stopped, stop.get_token(), [&](std::chrono::milliseconds) {
        if (stopped.progress.size() == 10) {
            stop.request_stop();
        }
    });
    EXPECT_EQ(stopped.progress.size(), 10u);
}

TEST(PartitionSearchTest, StopAsksFirst) {
    ScriptedQuestions questions;
    RecordingProgress progress;
    std::stop_source stop;
    questions.messageAnswer = MessageAnswer::No;
    EXPECT_FALSE(AskStopPartitionSearch(questions, progress, stop));
    EXPECT_FALSE(stop.stop_requested());
    questions.messageAnswer = MessageAnswer::Yes;
    EXPECT_TRUE(AskStopPartitionSearch(questions, progress, stop));
    EXPECT_TRUE(stop.stop_requested());
    EXPECT_EQ(questions.messages,
              (std::vector<std::string>{"Do you want to stop searching partition",
                                        "Do you want to stop searching partition"}));
    EXPECT_EQ(progress.hints,
              (std::vector<std::string>{"Please click on back button or again click on Search "
                                        "Partition and complete that process."}));
}

struct TranslateCase {
    SearchGeometry stored;
    SearchGeometry searched;
};

class TranslateTest : public ::testing::TestWithParam<TranslateCase> {};

TEST_P(TranslateTest, OnlySixtyThreeSectorsPerTrackIsKept) {
    const SearchGeometry g = TranslateSearchGeometry(GetParam().stored);
    EXPECT_EQ(g.cylinders, GetParam().searched.cylinders);
    EXPECT_EQ(g.heads, GetParam().searched.heads);
    EXPECT_EQ(g.sectorsPerTrack, GetParam().searched.sectorsPerTrack);
}

INSTANTIATE_TEST_SUITE_P(Geometries, TranslateTest,
                         ::testing::Values(TranslateCase{{1024, 16, 63}, {1024, 16, 63}},
                                           TranslateCase{{64, 64, 32}, {8, 255, 63}},
                                           TranslateCase{{3800, 255, 62}, {3739, 255, 63}},
                                           TranslateCase{{0, 0, 0}, {0, 255, 63}},
                                           TranslateCase{{UINT64_MAX, UINT64_MAX, 32},
                                                         {UINT64_MAX / 16065, 255, 63}}));

TEST(PartitionSearchTest, GeometryAndWholeDiskRangeFromTheRegistry) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qv-search-" + std::to_string(::getpid()));
    const std::filesystem::path store = folder / "registry";
    {
        platform::RegistryFile registry(store, {});
        for (const auto& [key, value] :
             {std::pair{CatalogueKeys::kCylinder, "1044"}, std::pair{CatalogueKeys::kHead, "255"},
              std::pair{CatalogueKeys::kSectorsPerTrack, "63"},
              std::pair{CatalogueKeys::kSize, "8589934592"}}) {
            ASSERT_TRUE(registry.CreateKey(platform::RootKey::ClassesRoot, key));
            ASSERT_TRUE(registry.SetTextValue(platform::RootKey::ClassesRoot, key, "Disk2", value));
        }
        const SearchGeometry g = ReadSearchGeometry(registry, 2);
        EXPECT_EQ(g.cylinders, 1044u);
        EXPECT_EQ(g.heads, 255u);
        EXPECT_EQ(g.sectorsPerTrack, 63u);
        EXPECT_EQ(ReadSearchGeometry(registry, 3).cylinders, 0u);
        EXPECT_EQ(EntireDiskRange(registry, 2).start, 0u);
        EXPECT_EQ(EntireDiskRange(registry, 2).end, 16777216u);
        EXPECT_EQ(EntireDiskRange(registry, 5).end, 0u);
    }
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace quorvane
