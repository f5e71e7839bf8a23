// The FAT engine on disk images made by mkfs.fat and mtools: the full listing
// against each image's manifest and against The Sleuth Kit's fls, the
// Professional search of a disk with two volumes, and the images unchanged.
#include "engine/browse/FolderTreeListing.h"
#include "engine/fat/FatFileSystems.h"
#include "engine/scan/FatScan.h"
#include "engine/session/RecoverySession.h"
#include "engine/volume/VolumeValidation.h"
#include "platform/DeviceMap.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <tuple>

namespace quorvane {
namespace {

using test::FixturePath;
using test::LoadManifest;

// (path, kind, size, deleted). Paths are compared without regard to ASCII case:
// names kept only as 8.3 short names are shown in capitals here, while fls
// applies the lower-case flags that later systems store in byte 12 of the entry.
using Key = std::tuple<std::string, std::string, std::uint64_t, bool>;

std::string Fold(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string Join(const std::vector<std::string>& path) {
    std::string text;
    for (const std::string& part : path) {
        text += (text.empty() ? "" : "/") + part;
    }
    return text;
}

using Volume = test::FixtureVolume;

class Lister {
public:
    explicit Lister(const std::filesystem::path& image) {
        devices_.Map(DeviceNameTable::NameOf(0), image.string());
        session_ = std::make_unique<RecoverySession>(devices_, questions_);
    }
    RecoverySession& Session() { return *session_; }

    // The Standard search of one volume, then every folder and file of the tree.
    std::vector<ListedEntry> Standard(const Volume& v) {
        RecoverySession& s = *session_;
        s.Search.Mode = SearchMode::Standard;
        if (v.partition == 0) {
            s.Selected.fileSystem = FileSystemKind::Fat12;
            s.Search.Floppy = true;
            s.Search.RangeEnd = 2880;
        } else {
            s.Selected.fileSystem = FileSystemFromName(v.fileSystem);
            s.Selected.firstSector = v.first;
            s.Selected.lastSector = v.end - 1;
            s.Search.RangeStart = v.first;
            s.Search.RangeEnd = v.end;
            s.Search.VolumeParamsFilled =
                ValidateVolume(s.Reader, s.Device(), s.Selected, s.Volume, s.Tables, progress_);
        }
        const FatScanResult r = FatScanThread(s, progress_);
        EXPECT_TRUE(r.treeBuilt);
        return All();
    }

    std::vector<ListedEntry> All() {
        std::vector<ListedEntry> entries;
        ListFolderTree(session_->Browse(), [&](const ListedEntry& e) { entries.push_back(e); });
        return entries;
    }

private:
    platform::DeviceMap devices_;
    test::ScriptedQuestions questions_;
    SilentProgress progress_;
    std::unique_ptr<RecoverySession> session_;
};

// The FAT volumes of a fixture.
std::vector<Volume> VolumesOf(const std::string& name) {
    std::vector<Volume> volumes;
    for (const Volume& v : test::FixtureVolumes(name)) {
        if (v.fileSystem != "NTFS") {
            volumes.push_back(v);
        }
    }
    return volumes;
}

// Our entries as keys, without "Lost" (fls has no such folder) and the volume
// label, which the listing shows like a file.
std::set<Key> OurKeys(const std::vector<ListedEntry>& entries, const Volume& v,
                      std::vector<std::string>* lost = nullptr) {
    std::set<Key> keys;
    for (const ListedEntry& e : entries) {
        if (e.path.front() == "Lost") {
            if (lost != nullptr && e.path.size() > 1) {
                lost->push_back(Join(e.path));
            }
            continue;
        }
        std::string dotless = e.path.back();
        dotless.erase(std::remove(dotless.begin(), dotless.end(), '.'), dotless.end());
        if (e.path.size() == 1 && !e.folder && dotless == v.label) {
            continue;
        }
        keys.emplace(Fold(Join(e.path)), e.folder ? "folder" : "file", e.folder ? 0 : e.size,
                     e.deleted);
    }
    return keys;
}

bool HaveSleuthKit() {
    return std::system("command -v fls >/dev/null 2>&1") == 0;
}

// fls -r -p -l: every allocated and deleted entry with its size.
std::set<Key> SleuthKitKeys(const Volume& v) {
    const std::string command = "fls -r -p -l -o " + std::to_string(v.first) + " '" +
                                FixturePath(v.image + ".img").string() + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::set<Key> keys;
    if (!pipe) {
        ADD_FAILURE() << command;
        return keys;
    }
    std::string out;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) {
        out += buffer;
    }
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t')) {
            fields.push_back(field);
        }
        if (fields.size() < 7) {
            continue;
        }
        const std::string& head = fields[0]; // "r/r * 517:"
        const std::string& name = fields[1];
        if (head.rfind("v/v", 0) == 0 || head.rfind("V/V", 0) == 0 ||
            name.find("(Volume Label Entry)") != std::string::npos) {
            continue;
        }
        const bool folder = head.rfind("d/d", 0) == 0;
        const bool deleted = head.find('*') != std::string::npos;
        keys.emplace(Fold(name), folder ? "folder" : "file", folder ? 0 : std::stoull(fields[6]),
                     deleted);
    }
    return keys;
}

std::string Describe(const std::set<Key>& keys) {
    std::string text;
    for (const auto& [path, kind, size, deleted] : keys) {
        text += "  " + kind + " " + path + " " + std::to_string(size) +
                (deleted ? " deleted" : "") + "\n";
    }
    return text;
}

std::set<Key> Minus(const std::set<Key>& a, const std::set<Key>& b) {
    std::set<Key> out;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(out, out.end()));
    return out;
}

class FatImages : public ::testing::TestWithParam<std::string> {};

// Every FAT volume of the image, listed in full, equals fls's listing, allocated
// and deleted entries alike, and no image changes.
TEST_P(FatImages, ListingEqualsSleuthKitAndLeavesTheImageUnchanged) {
    if (!HaveSleuthKit()) {
        GTEST_SKIP() << "The Sleuth Kit (fls) is not installed";
    }
    const std::filesystem::path image = FixturePath(GetParam() + ".img");
    const std::string before = test::Sha256OfFile(image);
    for (const Volume& v : VolumesOf(GetParam())) {
        SCOPED_TRACE(GetParam() + " partition " + std::to_string(v.partition));
        Lister lister(image);
        std::vector<std::string> lost;
        const std::set<Key> ours = OurKeys(lister.Standard(v), v, &lost);
        EXPECT_TRUE(lost.empty()) << "an undamaged volume has nothing in Lost: " << lost.front();
        const std::set<Key> theirs = SleuthKitKeys(v);
        EXPECT_FALSE(theirs.empty());
        EXPECT_EQ(ours, theirs) << "only ours:\n"
                                << Describe(Minus(ours, theirs)) << "only fls:\n"
                                << Describe(Minus(theirs, ours));
    }
    EXPECT_EQ(test::Sha256OfFile(image), before);
}

INSTANTIATE_TEST_SUITE_P(Images, FatImages,
                         ::testing::Values("fat16-full", "fat32-full", "fat12-full", "fat32-two",
                                           "demo", "fat12-floppy"));

// The manifest's entries (what mtools wrote) all come back, with their sizes;
// a deleted entry without a long name lost its first letter to the 0xE5 mark.
void ExpectManifestListed(const std::string& name, const std::set<Key>& ours, int volume = 0) {
    const nlohmann::json m = LoadManifest(name);
    for (const auto& e : m["volumes"][volume]["entries"]) {
        const std::string path = Fold(e["path"].get<std::string>());
        const std::string kind = e["kind"].get<std::string>();
        const std::uint64_t size = kind == "file" ? e["size"].get<std::uint64_t>() : 0;
        const bool deleted = e["deleted"].get<bool>();
        std::string marked = path;
        const std::size_t slash = marked.rfind('/');
        marked[slash == std::string::npos ? 0 : slash + 1] = '_';
        EXPECT_TRUE(
            ours.count({path, kind, size, deleted}) + ours.count({marked, kind, size, deleted}) > 0)
            << name << ": " << kind << " " << path << " " << size << (deleted ? " deleted" : "");
    }
}

TEST(FatFixtures, FullVolumesListEveryManifestEntry) {
    for (const std::string name : {"fat16-full", "fat32-full", "fat12-full"}) {
        const Volume v = VolumesOf(name).front();
        Lister lister(FixturePath(name + ".img"));
        ExpectManifestListed(name, OurKeys(lister.Standard(v), v));
    }
}

TEST(FatFixtures, BothFatsZeroedStillListsEverything) {
    // Every directory of this volume fits its first cluster: with no chains
    // left, the first cluster is all there is, and it holds every entry.
    const Volume v = VolumesOf("fat16-fatzero").front();
    Lister lister(FixturePath("fat16-fatzero.img"));
    ExpectManifestListed("fat16-fatzero", OurKeys(lister.Standard(v), v));
}

TEST(FatFixtures, ZeroedRootClusterBringsTheFoldersBackUnderRoot) {
    const Volume v = VolumesOf("fat32-rootzero").front();
    Lister lister(FixturePath("fat32-rootzero.img"));
    std::map<std::string, std::string> topOf; // a file or folder name -> its top folder
    for (const ListedEntry& e : lister.Standard(v)) {
        if (e.path.size() >= 2) {
            topOf[Join(std::vector<std::string>(e.path.begin() + 1, e.path.end()))] =
                e.path.front();
        }
    }
    // The root's own entries are gone, so the top folders have made-up names;
    // below them every name comes from the intact directories.
    for (const std::string inside :
         {"Quarterly Report for the Board.txt", "Alpha/Designs/DRAFT.TXT", "IMG_0001.JPG"}) {
        ASSERT_EQ(topOf.count(inside), 1u) << inside;
        EXPECT_EQ(topOf[inside].rfind("Dir", 0), 0u) << inside << " under " << topOf[inside];
    }
}

TEST(FatFixtures, ProfessionalSearchFindsBothVolumesOfADisk) {
    const std::vector<Volume> volumes = VolumesOf("fat32-two");
    ASSERT_EQ(volumes.size(), 2u);
    Lister lister(FixturePath("fat32-two.img"));
    RecoverySession& s = lister.Session();
    s.Search.Mode = SearchMode::Professional;
    s.Selected.fileSystem = FileSystemKind::Fat32;
    s.Search.RangeStart = 0;
    s.Search.RangeEnd = s.Reader.DeviceSectors(s.Device());
    SilentProgress progress;
    const FatScanResult r = FatScanThread(s, progress);
    ASSERT_EQ(r.fileSystems, 2u);
    EXPECT_TRUE(r.nextEnabled);
    // Each volume's boot sector and its backup copy.
    EXPECT_EQ(s.Tables.BootTable.RowCount(), 4u);
    for (const LostDirRow& d : s.Tables.LostDirTable) {
        EXPECT_TRUE(d.fileSystem == 1 || d.fileSystem == 2) << d.sector;
    }
    EXPECT_EQ(s.Tables.MainList.Cell(0, 0), "File System - 1");
    EXPECT_EQ(s.Tables.MainList.Cell(1, 0), "Partition Type : FAT32");
    EXPECT_EQ(s.Fat.FileSystemTree.At(s.Fat.FirstFileSystemItem).text, "File System 1 - FAT32");

    for (std::uint32_t n = 1; n <= 2; ++n) {
        const FatScanResult fs = FatFileSystemThread(s, progress, n);
        EXPECT_TRUE(fs.treeBuilt);
        ExpectManifestListed("fat32-two", OurKeys(lister.All(), volumes[n - 1]),
                             static_cast<int>(n - 1));
    }
}

TEST(FatFixtures, ProfessionalLocatesTheFatsOfAFileSystemWithoutBootSector) {
    Lister lister(FixturePath("fat32-full.img"));
    RecoverySession& s = lister.Session();
    const Volume v = VolumesOf("fat32-full").front();
    const nlohmann::json params = LoadManifest("fat32-full")["volumes"][0]["params"];
    const std::uint64_t reserved = params["reservedSectors"].get<std::uint64_t>();
    const std::uint64_t spf = params["sectorsPerFat"].get<std::uint64_t>();
    BootRow row; // what a pair of folders gives: no FAT positions
    row.spc = 1;
    row.cluster0Start = v.first + reserved + 2 * spf - 2;
    row.partType = FileSystemKind::Fat32;
    s.Tables.BootTable2.Append(row);
    ASSERT_TRUE(LocateFats(s.Reader, s.Device(), s.Tables.BootTable2[0]));
    EXPECT_EQ(s.Tables.BootTable2[0].firstFat, v.first + reserved);
    EXPECT_EQ(s.Tables.BootTable2[0].secondFat, v.first + reserved + spf);
    EXPECT_EQ(s.Tables.BootTable2[0].spf, spf);
    EXPECT_EQ(s.Tables.BootTable2[0].rootStart, 2u);
}

} // namespace
} // namespace quorvane
