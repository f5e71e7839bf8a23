#include "engine/disk/DiskCatalogue.h"
#include "platform/Process.h"
#include "platform/RegistryFile.h"
#include "probe/DriveProbe.h"
#include "probe/SysfsDrives.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <unistd.h>

namespace quorvane::probe {
namespace {

using platform::RootKey;

constexpr std::array<std::string_view, 8> kValueKeys = {
    CatalogueKeys::kDravel,          CatalogueKeys::kMediaType,    CatalogueKeys::kSize,
    CatalogueKeys::kModel,           CatalogueKeys::kHead,         CatalogueKeys::kCylinder,
    CatalogueKeys::kSectorsPerTrack, CatalogueKeys::kDisplayDevice};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A sysfs tree of block devices in a temporary folder, and a registry whose
// keys the catalogue would have created.
class ProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::filesystem::temp_directory_path() /
                ("qv-probe-" + std::to_string(::getpid()) + "-" + info->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "sys" / "block");
        std::filesystem::create_directories(root_ / "dev");
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    void Attribute(const std::filesystem::path& file, const std::string& text) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }
    // removable: "1", "0" or "" for no removable attribute; model "" for none.
    void Disk(const std::string& name, const std::string& removable, std::uint64_t sectors,
              const std::string& model, const std::string& vendor = "") {
        const std::filesystem::path d = root_ / "sys" / "block" / name;
        std::filesystem::create_directories(d);
        if (!removable.empty()) {
            Attribute(d / "removable", removable + "\n");
        }
        Attribute(d / "size", std::to_string(sectors) + "\n");
        if (!model.empty()) {
            Attribute(d / "device" / "model", model + "   \n");
        }
        if (!vendor.empty()) {
            Attribute(d / "device" / "vendor", vendor + "  \n");
        }
    }
    // A partition listed at the top level, as /sys/class/block lists them.
    void Partition(const std::string& name) {
        Disk(name, "1", 2048, "part");
        Attribute(root_ / "sys" / "block" / name / "partition", "1\n");
    }

    std::filesystem::path Store() const { return root_ / "registry"; }
    platform::RegistryFile Registry() const { return platform::RegistryFile(Store(), {}); }
    void CreateCatalogueKeys() {
        platform::RegistryFile r = Registry();
        for (std::string_view key : kValueKeys) {
            ASSERT_TRUE(r.CreateKey(RootKey::ClassesRoot, key));
        }
    }
    std::vector<DriveProperties> Read(const GeometryReader& geometry = {}) {
        return ReadSysfsDrives(root_ / "sys", root_ / "dev", geometry);
    }
    // The names of all values of all keys, with their data.
    std::map<std::string, std::string> Values() {
        std::map<std::string, std::string> out;
        platform::RegistryFile r = Registry();
        for (std::string_view key : kValueKeys) {
            for (int n = 0; n < 30; ++n) {
                const auto v = r.QueryValue(RootKey::ClassesRoot, key, CatalogueKeys::ValueName(n));
                if (v) {
                    out[std::string(key) + ":" + CatalogueKeys::ValueName(n)] = *v;
                }
            }
        }
        return out;
    }

    std::filesystem::path root_;
};

TEST_F(ProbeTest, OnlyFixedDisksWriteNothing) {
    Disk("sda", "0", 1000000, "Fixed One");
    Disk("nvme0n1", "0", 2000000, "Fixed Two");
    CreateCatalogueKeys();
    platform::RegistryFile registry = Registry();
    WriteProbedDrives(registry, Read());
    EXPECT_TRUE(Values().empty());
}

TEST_F(ProbeTest, RemovableDiskWithIndexThreeIsWrittenAsDisk3Only) {
    Disk("sda", "0", 1000000, "Fixed");
    Disk("sdb", "0", 1000000, "Fixed");
    Disk("sdc", "0", 1000000, "Fixed");
    Disk("sdd", "1", 7864320, "Cruzer Blade", "SanDisk"); // 4 GiB (3.75 GiB)
    Partition("sdd1");
    Disk("loop0", "0", 4096, "loop");
    Disk("dm-0", "0", 4096, "mapper");
    CreateCatalogueKeys();
    platform::RegistryFile registry = Registry();
    WriteProbedDrives(registry, Read());
    const std::string dev = (root_ / "dev" / "sdd").string();
    const std::map<std::string, std::string> expected = {
        {"Tessik\\Dravel:Disk3", "Disk3"},
        {"Tessik\\Dravel\\MediaType:Disk3", "Removable Media"},
        {"Tessik\\Dravel\\Size:Disk3", "4026531840"},
        {"Tessik\\Dravel\\Model:Disk3", "SanDisk Cruzer Blade"},
        {"Tessik\\Dravel\\Head:Disk3", "255"},
        {"Tessik\\Dravel\\Cylinder:Disk3", "489"}, // 7864320 / 16065
        {"Tessik\\Dravel\\SectorsPerTrack:Disk3", "63"},
        {"Tessik\\Dravel\\DisplayDevice:Disk3", dev},
    };
    EXPECT_EQ(Values(), expected);
}

TEST_F(ProbeTest, StableOrderCountsRemovableVirtualDevicesOnly) {
    Disk("sdaa", "0", 100, "x");
    Disk("sdz", "0", 100, "x");
    Disk("loop7", "1", 100, "x"); // removable: counted
    Disk("zram0", "0", 100, "x");
    Disk("ram0", "0", 100, "x");
    Disk("nvme10n1", "0", 100, "x");
    Disk("nvme9n1", "0", 100, "x");
    Partition("sdz1");
    std::vector<std::string> names;
    for (const DriveProperties& d : Read()) {
        names.push_back(d.name + "=" + d.index.value_or("?"));
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"sdz=0", "sdaa=1", "loop7=2", "nvme9n1=3", "nvme10n1=4"}));
}

TEST_F(ProbeTest, DriveWithAnUnreadablePropertyIsNotHalfWritten) {
    Disk("sda", "1", 1000000, "");       // no model
    Disk("sdb", "1", 0, "Empty Reader"); // no medium
    Disk("sdc", "", 1000000, "No Flag"); // no removable attribute
    Disk("sdd", "1", 2000000, "Good");
    CreateCatalogueKeys();
    platform::RegistryFile registry = Registry();
    WriteProbedDrives(registry, Read());
    const auto values = Values();
    EXPECT_EQ(values.size(), 8u);
    for (const auto& [name, data] : values) {
        EXPECT_NE(name.find(":Disk3"), std::string::npos) << name;
    }
}

// A FIFO where an attribute should be is an unreadable attribute: the probe
// neither waits on it nor writes the drive it belongs to.
TEST_F(ProbeTest, FifoInTheTreeIsNotWaitedOn) {
    Disk("sdb", "1", 2048, "");
    Disk("sdc", "1", 4096, "Card");
    std::filesystem::create_directories(root_ / "sys" / "block" / "sdb" / "device");
    const test::Fifo model(root_ / "sys" / "block" / "sdb" / "device" / "model");
    std::filesystem::remove(root_ / "sys" / "block" / "sdc" / "removable");
    const test::Fifo removable(root_ / "sys" / "block" / "sdc" / "removable");
    std::vector<DriveProperties> drives;
    bool removableEnded = false;
    const bool modelEnded = model.EndsWithoutAWriter(
        [&] { removableEnded = removable.EndsWithoutAWriter([&] { drives = Read(); }); });
    EXPECT_TRUE(modelEnded && removableEnded) << "the probe waited on a FIFO";
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_FALSE(drives[0].model);
    EXPECT_EQ(drives[0].size, "1048576");
    EXPECT_FALSE(drives[1].mediaType);
    EXPECT_EQ(drives[1].model, "Card");
}

TEST_F(ProbeTest, ReportedGeometryIsUsedAndCylindersComeFromTheSize) {
    Disk("sdb", "1", 4194304, "Stick"); // 2 GiB
    const auto reported = [](const std::string&) {
        return std::optional<ReportedGeometry>(ReportedGeometry{64, 32});
    };
    const std::vector<DriveProperties> drives = Read(reported);
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].heads, "64");
    EXPECT_EQ(drives[0].sectorsPerTrack, "32");
    EXPECT_EQ(drives[0].cylinders, "2048");
    const auto garbage = [](const std::string&) {
        return std::optional<ReportedGeometry>(ReportedGeometry{0, 99});
    };
    EXPECT_EQ(Read(garbage)[0].heads, "255");
    EXPECT_EQ(Read(garbage)[0].sectorsPerTrack, "63");
}

struct MediaCase {
    const char* mediaType;
    const char* written; // "" when the drive is skipped
};

class MediaTypeTest : public ProbeTest, public ::testing::WithParamInterface<MediaCase> {};

TEST_P(MediaTypeTest, OnlyRemovableMediaAreWritten) {
    CreateCatalogueKeys();
    DriveProperties d;
    d.index = "0";
    d.mediaType = GetParam().mediaType;
    d.size = "512";
    d.model = "M";
    d.heads = "255";
    d.cylinders = "0";
    d.sectorsPerTrack = "63";
    d.device = "/dev/null";
    platform::RegistryFile registry = Registry();
    WriteProbedDrives(registry, {d});
    EXPECT_EQ(registry.QueryTextValue(RootKey::ClassesRoot, CatalogueKeys::kMediaType, "Disk0"),
              GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(Normalisation, MediaTypeTest,
                         ::testing::Values(MediaCase{"Removable media other", "Removable Media"},
                                           MediaCase{"Removable", "Removable Media"},
                                           MediaCase{"removable disk", "removable disk"},
                                           MediaCase{"Fixed hard disk media", ""},
                                           MediaCase{"REMOVABLE", ""}, MediaCase{"", ""}));

// The program itself, twice, against the same tree: the same values, and keys
// that the catalogue did not create are never created.
TEST_F(ProbeTest, ProgramRunsTwiceToTheSameValuesAndCreatesNoKeys) {
    Disk("sda", "0", 1000000, "Fixed");
    Disk("sdb", "1", 2000000, "Card");
    ::setenv("PROBENIX_SYSFS", (root_ / "sys").c_str(), 1);
    ::setenv("PROBENIX_DEV", (root_ / "dev").c_str(), 1);
    ::setenv("QUORVANE_REGISTRY", Store().c_str(), 1);
    platform::SystemProcessLauncher launcher;
    EXPECT_EQ(launcher.StartAndWait(PROBENIX_PATH, {PROBENIX_PATH, ""}), 0);
    EXPECT_FALSE(std::filesystem::exists(Store()));

    CreateCatalogueKeys();
    EXPECT_EQ(launcher.StartAndWait(PROBENIX_PATH, {PROBENIX_PATH, ""}), 0);
    const std::string first = ReadFile(Store());
    EXPECT_EQ(launcher.StartAndWait(PROBENIX_PATH, {PROBENIX_PATH, ""}), 0);
    ::unsetenv("PROBENIX_SYSFS");
    ::unsetenv("PROBENIX_DEV");
    ::unsetenv("QUORVANE_REGISTRY");
    EXPECT_EQ(ReadFile(Store()), first);
    EXPECT_EQ(Values().at("Tessik\\Dravel\\Model:Disk1"), "Card");
    EXPECT_EQ(Values().size(), 8u);
}

// The catalogue waits for values that were not written: the program says so
// and exits non-zero. Neither case can be undone by root's rights.
TEST_F(ProbeTest, ProgramThatCannotWriteExitsNonZero) {
    Disk("sdb", "1", 2000000, "Card");
    ::setenv("PROBENIX_SYSFS", (root_ / "sys").c_str(), 1);
    ::setenv("PROBENIX_DEV", (root_ / "dev").c_str(), 1);
    const std::filesystem::path lock = Store().string() + ".lock";
    const std::filesystem::path linked = root_ / "linked-registry";
    const struct {
        const char* what;
        std::filesystem::path store;
        std::function<void()> spoil;
    } cases[] = {
        {"lock file is a folder", Store(),
         [&] {
             std::filesystem::remove(lock);
             std::filesystem::create_directory(lock);
         }},
        {"store is a symbolic link", linked,
         [&] { std::filesystem::create_symlink(Store(), linked); }},
    };
    platform::SystemProcessLauncher launcher;
    for (const auto& c : cases) {
        std::filesystem::remove_all(lock);
        std::filesystem::remove_all(Store());
        std::filesystem::remove_all(linked);
        CreateCatalogueKeys();
        c.spoil();
        ::setenv("QUORVANE_REGISTRY", c.store.c_str(), 1);
        EXPECT_EQ(launcher.StartAndWait(PROBENIX_PATH, {PROBENIX_PATH, ""}), 1) << c.what;
    }
    ::unsetenv("PROBENIX_SYSFS");
    ::unsetenv("PROBENIX_DEV");
    ::unsetenv("QUORVANE_REGISTRY");
}

} // namespace
} // namespace quorvane::probe
