#include "engine/disk/DiskCatalogue.h"
#include "engine/disk/SectorReader.h"
#include "platform/RegistryFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <unistd.h>

namespace quorvane {
namespace {

using platform::KeyRight;
using platform::RootKey;

constexpr RootKey kRoot = RootKey::ClassesRoot;

const char* RightName(KeyRight right) {
    switch (right) {
    case KeyRight::QueryValue:
        return "query";
    case KeyRight::SetValue:
        return "set";
    case KeyRight::Delete:
        return "delete";
    case KeyRight::AllAccess:
        return "all";
    }
    return "?";
}

// Passes every operation on to a real store, records the changes and the key
// openings, and fails the creation of chosen keys.
class RecordingRegistry final : public platform::Registry {
public:
    explicit RecordingRegistry(platform::Registry& inner) : inner_(inner) {}

    std::vector<std::string> log;
    // Key -> which of its creations fails (1 = the first).
    std::map<std::string, int> failCreate;

    bool OpenKey(RootKey root, std::string_view key, KeyRight right) override {
        const bool ok = inner_.OpenKey(root, key, right);
        log.push_back("open " + std::string(RightName(right)) + " " + std::string(key) +
                      (ok ? "" : " (missing)"));
        return ok;
    }
    bool CreateKey(RootKey root, std::string_view key) override {
        log.push_back("create " + std::string(key));
        const auto it = failCreate.find(std::string(key));
        if (it != failCreate.end() && ++creations_[it->first] == it->second) {
            return false;
        }
        return inner_.CreateKey(root, key);
    }
    bool DeleteKey(RootKey root, std::string_view key) override {
        log.push_back("delete " + std::string(key));
        return inner_.DeleteKey(root, key);
    }
    bool SetTextValue(RootKey root, std::string_view key, std::string_view name,
                      std::string_view data) override {
        return inner_.SetTextValue(root, key, name, data);
    }
    std::optional<std::string> QueryValue(RootKey root, std::string_view key,
                                          std::string_view name) override {
        return inner_.QueryValue(root, key, name);
    }
    bool DeleteValue(RootKey root, std::string_view key, std::string_view name) override {
        log.push_back("delete value " + std::string(key) + " " + std::string(name));
        return inner_.DeleteValue(root, key, name);
    }

private:
    platform::Registry& inner_;
    std::map<std::string, int> creations_;
};

// Stands in for the helper program: records how it was started and writes
// what a probe of some machine would.
class FakeLauncher final : public platform::ProcessLauncher {
public:
    std::vector<std::pair<std::string, std::vector<std::string>>> started;
    std::function<void()> probe;

    int StartAndWait(const std::string& path, const std::vector<std::string>& args) override {
        started.emplace_back(path, args);
        if (probe) {
            probe();
        }
        return 3; // ignored
    }
};

class DiskCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("qv-catalogue-" + std::to_string(::getpid()) + "-" + info->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ / "install");
        std::ofstream(folder_ / "install" / "probenix") << "#!/bin/sh\n";
        store_ =
            std::make_unique<platform::RegistryFile>(folder_ / "registry", std::filesystem::path());
        recording_ = std::make_unique<RecordingRegistry>(*store_);
        catalogue_ = std::make_unique<DiskCatalogue>(*recording_, launcher_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Install() const { return (folder_ / "install").string(); }
    platform::Registry& Store() { return *store_; }

    // The helper's values for disk n.
    void ProbeDisk(std::uint32_t n, const std::string& size, const std::string& model = "Stick") {
        const std::string name = CatalogueKeys::ValueName(n);
        Store().SetTextValue(kRoot, CatalogueKeys::kDravel, name, name);
        Store().SetTextValue(kRoot, CatalogueKeys::kMediaType, name, "Removable Media");
        Store().SetTextValue(kRoot, CatalogueKeys::kSize, name, size);
        Store().SetTextValue(kRoot, CatalogueKeys::kModel, name, model);
        Store().SetTextValue(kRoot, CatalogueKeys::kHead, name, "255");
        Store().SetTextValue(kRoot, CatalogueKeys::kCylinder, name, "1044");
        Store().SetTextValue(kRoot, CatalogueKeys::kSectorsPerTrack, name, "63");
        Store().SetTextValue(kRoot, CatalogueKeys::kDisplayDevice, name, "/dev/sd" + name);
    }

    CatalogueOutcome Build(const std::vector<NamedDisk>& named = {},
                           unsigned platformId = platform::kPlatformNt) {
        platform::OsVersionInfo os;
        os.platformId = platformId;
        return catalogue_->Build(os, Install(), named, selection_, tree_);
    }
    std::vector<std::string> Items() const {
        std::vector<std::string> texts;
        for (const TreeModel::Item item : tree_.Children(tree_.TopLevel().front())) {
            texts.push_back(tree_.At(item).text);
        }
        return texts;
    }

    std::filesystem::path folder_;
    std::unique_ptr<platform::RegistryFile> store_;
    std::unique_ptr<RecordingRegistry> recording_;
    FakeLauncher launcher_;
    std::unique_ptr<DiskCatalogue> catalogue_;
    DiskSelection selection_;
    TreeModel tree_;
};

TEST_F(DiskCatalogueTest, ClearsThePreviousRunInOrderThenStartsTheHelper) {
    // The previous run left values, and a key of someone else's under Dravel
    // that keeps Dravel from being deleted.
    for (std::string_view key :
         {CatalogueKeys::kCylinder, CatalogueKeys::kModel, CatalogueKeys::kDisplayDevice}) {
        ASSERT_TRUE(Store().CreateKey(kRoot, key));
    }
    ASSERT_TRUE(Store().CreateKey(kRoot, "Tessik\\Dravel\\Other"));
    ASSERT_TRUE(Store().SetTextValue(kRoot, CatalogueKeys::kDravel, "Disk7", "Disk7"));
    ASSERT_TRUE(Store().SetTextValue(kRoot, CatalogueKeys::kDravel, "Disk30", "Disk30"));
    launcher_.probe = [&] { recording_->log.push_back("probenix runs"); };

    const CatalogueOutcome outcome = Build();
    EXPECT_FALSE(outcome.endProgram);
    EXPECT_TRUE(outcome.failure.empty());

    std::vector<std::string> expected = {
        "open delete Tessik\\Dravel\\Cylinder",
        "delete Tessik\\Dravel\\Cylinder",
        "open delete Tessik\\Dravel\\Head (missing)",
        "open delete Tessik\\Dravel\\MediaType (missing)",
        "open delete Tessik\\Dravel\\Model",
        "delete Tessik\\Dravel\\Model",
        "open delete Tessik\\Dravel\\SectorsPerTrack (missing)",
        "open delete Tessik\\Dravel\\Size (missing)",
        "open delete Tessik\\Dravel\\DisplayDevice",
        "delete Tessik\\Dravel\\DisplayDevice",
        "open delete Tessik\\Dravel",
        "delete Tessik\\Dravel",
        "open all Tessik\\Dravel",
    };
    for (int i = 0; i < 26; ++i) {
        expected.push_back("delete value Tessik\\Dravel Disk" + std::to_string(i));
    }
    for (const char* key :
         {"Tessik\\Dravel", "Tessik\\Dravel", "Tessik\\Dravel\\Cylinder", "Tessik\\Dravel\\Head",
          "Tessik\\Dravel\\MediaType", "Tessik\\Dravel\\Model", "Tessik\\Dravel\\SectorsPerTrack",
          "Tessik\\Dravel\\Size", "Tessik\\Dravel\\DisplayDevice"}) {
        expected.push_back(std::string("create ") + key);
    }
    expected.push_back("probenix runs");
    expected.push_back("open query Tessik\\Dravel");
    EXPECT_EQ(recording_->log, expected);

    const std::string probenix = (folder_ / "install" / "probenix").string();
    ASSERT_EQ(launcher_.started.size(), 1u);
    EXPECT_EQ(launcher_.started[0].first, probenix);
    EXPECT_EQ(launcher_.started[0].second, (std::vector<std::string>{probenix, ""}));
    // Beyond the 26 names the values are not the catalogue's business.
    EXPECT_EQ(Store().QueryTextValue(kRoot, CatalogueKeys::kDravel, "Disk7"), "");
    EXPECT_EQ(Store().QueryTextValue(kRoot, CatalogueKeys::kDravel, "Disk30"), "Disk30");
    EXPECT_EQ(selection_.PlatformFamily, 'N');
}

struct FailureCase {
    const char* key;
    int creation; // which creation of the key fails
    bool endProgram;
    int exitCode;
};

class CatalogueFailureTest : public DiskCatalogueTest,
                             public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CatalogueFailureTest, KeysThatCannotBeCreated) {
    const FailureCase& c = GetParam();
    recording_->failCreate[c.key] = c.creation;
    const CatalogueOutcome outcome = Build();
    EXPECT_EQ(outcome.endProgram, c.endProgram);
    EXPECT_EQ(outcome.exitCode, c.exitCode);
    EXPECT_NE(outcome.failure.find(c.key), std::string::npos) << outcome.failure;
    EXPECT_TRUE(launcher_.started.empty());
    EXPECT_TRUE(Items().empty());
}

INSTANTIATE_TEST_SUITE_P(
    ExitCodes, CatalogueFailureTest,
    ::testing::Values(FailureCase{"Tessik\\Dravel", 1, true, 0},
                      FailureCase{"Tessik\\Dravel", 2, false, 0},
                      FailureCase{"Tessik\\Dravel\\Cylinder", 1, true, 1},
                      FailureCase{"Tessik\\Dravel\\Head", 1, true, 1},
                      FailureCase{"Tessik\\Dravel\\MediaType", 1, true, 1},
                      FailureCase{"Tessik\\Dravel\\Model", 1, true, 1},
                      FailureCase{"Tessik\\Dravel\\SectorsPerTrack", 1, true, 1},
                      FailureCase{"Tessik\\Dravel\\Size", 1, true, 1},
                      FailureCase{"Tessik\\Dravel\\DisplayDevice", 1, true, 1}));

TEST_F(DiskCatalogueTest, MainKeyGoneAfterTheHelperEndsTheProgram) {
    launcher_.probe = [&] {
        for (std::string_view key :
             {CatalogueKeys::kCylinder, CatalogueKeys::kHead, CatalogueKeys::kMediaType,
              CatalogueKeys::kModel, CatalogueKeys::kSectorsPerTrack, CatalogueKeys::kSize,
              CatalogueKeys::kDisplayDevice, CatalogueKeys::kDravel}) {
            Store().DeleteKey(kRoot, key);
        }
    };
    const CatalogueOutcome outcome = Build();
    EXPECT_TRUE(outcome.endProgram);
    EXPECT_EQ(outcome.exitCode, 0);
}

TEST_F(DiskCatalogueTest, MissingHelperShowsTheRootOnlyWithoutAMessage) {
    std::filesystem::remove(folder_ / "install" / "probenix");
    const CatalogueOutcome outcome = Build();
    EXPECT_FALSE(outcome.endProgram);
    EXPECT_TRUE(outcome.failure.empty());
    EXPECT_TRUE(launcher_.started.empty());
    ASSERT_EQ(tree_.TopLevel().size(), 1u);
    EXPECT_EQ(tree_.At(tree_.TopLevel().front()).text, "My Computer");
    EXPECT_EQ(tree_.At(tree_.TopLevel().front()).image, 2);
    EXPECT_TRUE(tree_.At(tree_.TopLevel().front()).expanded);
    EXPECT_TRUE(Items().empty());
}

TEST_F(DiskCatalogueTest, ListsDisksInIndexOrderAndNeverIndex26) {
    launcher_.probe = [&] {
        ProbeDisk(26, "1000");
        ProbeDisk(25, "1000");
        ProbeDisk(3, "1000");
    };
    Build();
    EXPECT_EQ(Items(), (std::vector<std::string>{"Disk3", "Disk25"}));
    for (const TreeModel::Item item : tree_.Children(catalogue_->Root())) {
        EXPECT_EQ(tree_.At(item).image, 1);
    }
    ASSERT_EQ(catalogue_->Disks().size(), 2u);
    EXPECT_EQ(catalogue_->Disks()[0].number, 3);
    EXPECT_EQ(catalogue_->Disks()[0].device, "/dev/sdDisk3");
    platform::DeviceMap devices;
    catalogue_->MapDevices(devices);
    EXPECT_EQ(devices.PathOf("\\\\.\\PhysicalDrive3"), "/dev/sdDisk3");
    EXPECT_EQ(devices.PathOf("\\\\.\\PhysicalDrive25"), "/dev/sdDisk25");
}

TEST_F(DiskCatalogueTest, NinetyFiveFamilyShowsTheRootOnlyAndLeavesTheRegistry) {
    Build({}, platform::kPlatformWindows9x);
    EXPECT_EQ(selection_.PlatformFamily, 'F');
    EXPECT_TRUE(recording_->log.empty());
    EXPECT_TRUE(launcher_.started.empty());
    EXPECT_TRUE(Items().empty());
    // No answer from the system counts as the NT family.
    DiskSelection other;
    TreeModel tree;
    catalogue_->Build(std::nullopt, Install(), {}, other, tree);
    EXPECT_EQ(other.PlatformFamily, 'N');
}

struct DetailsCase {
    const char* size;
    const char* megabytes;
};

class DiskDetailsTest : public DiskCatalogueTest,
                        public ::testing::WithParamInterface<DetailsCase> {};

TEST_P(DiskDetailsTest, NtFamilyRowsWithTheirExactLabels) {
    launcher_.probe = [&] { ProbeDisk(2, GetParam().size, "SanDisk Cruzer"); };
    Build();
    ListModel list;
    list.AppendRow("left over");
    catalogue_->ShowDiskDetails(2, 'N', list);
    ASSERT_EQ(list.RowCount(), 7u);
    const std::vector<std::string> expected = {
        "Physical Disk Number    :   2",
        "Model                             :   SanDisk Cruzer",
        "Media Type                    :   Removable Media",
        "Cylinder                          :   1044",
        "Head                              :\t   255",
        "Sector Per Track            :   63",
        std::string("Disk Size                        :   ") + GetParam().megabytes,
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(list.Cell(i, 0), expected[i]) << i;
    }
    EXPECT_EQ(catalogue_->SelectedDiskModel(), "SanDisk Cruzer");
}

INSTANTIATE_TEST_SUITE_P(Sizes, DiskDetailsTest,
                         ::testing::Values(DetailsCase{"1048575", "0 MB"},
                                           DetailsCase{"1048576", "1 MB"},
                                           DetailsCase{"8004304896", "7633 MB"},
                                           DetailsCase{"", "0 MB"}, DetailsCase{"12abc", "0 MB"}));

TEST_F(DiskCatalogueTest, MissingDiskAndNinetyFiveFamilyDetails) {
    ListModel list;
    catalogue_->ShowDiskDetails(9, 'N', list);
    ASSERT_EQ(list.RowCount(), 7u);
    EXPECT_EQ(list.Cell(1, 0), "Model                             :   ");
    EXPECT_EQ(list.Cell(6, 0), "Disk Size                        :   0 MB");

    launcher_.probe = [&] { ProbeDisk(1, "2097152"); };
    Build();
    catalogue_->ShowDiskDetails(1, 'F', list);
    const std::vector<std::string> expected = {
        "Physical Disk Number    :   1", "Cylinder\t\t:\t\t1044", "Head\t\t  :\t\t 255",
        "SectorsPerTrack\t\t\t :\t\t 63", "Disk Size\t\t :\t\t 2 MB"};
    ASSERT_EQ(list.RowCount(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(list.Cell(i, 0), expected[i]) << i;
    }
}

TEST_F(DiskCatalogueTest, NamedImagesTakeTheFirstFreeNumbersAndTheFloppyItsOwnItem) {
    launcher_.probe = [&] {
        ProbeDisk(0, "1000");
        ProbeDisk(2, "1000");
    };
    const std::string demo = test::FixturePath("demo.img").string();
    const std::string floppy = test::FixturePath("fat12-floppy.img").string();
    const CatalogueOutcome outcome =
        Build({{demo, false}, {floppy, false}, {demo, false}, {"/nonexistent/x.img", false}});
    ASSERT_EQ(outcome.rejected.size(), 1u);
    EXPECT_NE(outcome.rejected[0].find("/nonexistent/x.img"), std::string::npos);
    EXPECT_EQ(Items(), (std::vector<std::string>{"Disk0", "Disk1", "Disk2", "1.44\" Floppy"}));
    EXPECT_EQ(catalogue_->FloppyPath(), floppy);

    ListModel list;
    catalogue_->ShowDiskDetails(1, 'N', list);
    EXPECT_EQ(list.Cell(1, 0), "Model                             :   demo.img");
    EXPECT_EQ(list.Cell(2, 0), "Media Type                    :   Disk Image");
    EXPECT_EQ(list.Cell(3, 0), "Cylinder                          :   8"); // 131072 / 16065
    EXPECT_EQ(list.Cell(6, 0), "Disk Size                        :   64 MB");
    EXPECT_EQ(Store().QueryTextValue(kRoot, CatalogueKeys::kSize, "Disk1"), "67108864");

    // The floppy item's reads go to the floppy image whatever disk is asked for.
    platform::DeviceMap devices;
    catalogue_->MapDevices(devices);
    test::ScriptedQuestions questions;
    DiskSelection selection;
    selection.SelectedDiskLabel = tree_.At(catalogue_->FloppyItem()).text;
    SectorReader reader(devices, questions, selection);
    std::array<std::byte, 512> sector{};
    ASSERT_NE(reader.ReadSectors(DeviceNameTable::NameOf(1), 0, 1, sector), 0);
    EXPECT_EQ(static_cast<char>(sector[0x36]), 'F'); // "FAT12" of the floppy's boot sector
    selection.SelectedDiskLabel = "Disk1";
    reader.CloseAll();
    ASSERT_NE(reader.ReadSectors(DeviceNameTable::NameOf(1), 0, 1, sector), 0);
    EXPECT_EQ(static_cast<std::uint8_t>(sector[0x1C2]), 0x0C); // demo's MBR: FAT32 LBA
}

TEST_F(DiskCatalogueTest, NoFreeNumberIsReportedWithTheImage) {
    launcher_.probe = [&] {
        for (std::uint32_t n = 0; n < 26; ++n) {
            Store().SetTextValue(kRoot, CatalogueKeys::kDravel, CatalogueKeys::ValueName(n), "x");
        }
    };
    const std::string demo = test::FixturePath("demo.img").string();
    const CatalogueOutcome outcome = Build({{demo, false}});
    ASSERT_EQ(outcome.rejected.size(), 1u);
    EXPECT_NE(outcome.rejected[0].find("no free disk number"), std::string::npos);
    EXPECT_EQ(Items().size(), 26u);
}

// The real helper against a fake machine: one fixed disk, one removable.
TEST_F(DiskCatalogueTest, WithTheRealHelperProgram) {
    const std::filesystem::path sys = folder_ / "sys" / "block";
    for (const auto& [name, removable] : {std::pair{"sda", "0"}, std::pair{"sdb", "1"}}) {
        std::filesystem::create_directories(sys / name / "device");
        std::ofstream(sys / name / "removable") << removable << "\n";
        std::ofstream(sys / name / "size") << "4096\n";
        std::ofstream(sys / name / "device" / "model") << "Model " << name << "\n";
    }
    ::setenv("PROBENIX_SYSFS", (folder_ / "sys").c_str(), 1);
    ::setenv("PROBENIX_DEV", (folder_ / "dev").c_str(), 1);
    ::setenv("QUORVANE_REGISTRY", store_->StorePath().c_str(), 1);
    platform::SystemProcessLauncher launcher;
    DiskCatalogue catalogue(*store_, launcher);
    platform::OsVersionInfo os;
    const CatalogueOutcome outcome = catalogue.Build(
        os, std::filesystem::path(PROBENIX_PATH).parent_path().string(), {}, selection_, tree_);
    ::unsetenv("PROBENIX_SYSFS");
    ::unsetenv("PROBENIX_DEV");
    ::unsetenv("QUORVANE_REGISTRY");
    EXPECT_TRUE(outcome.failure.empty());
    EXPECT_EQ(Items(), (std::vector<std::string>{"Disk1"}));
    ASSERT_EQ(catalogue.Disks().size(), 1u);
    EXPECT_EQ(catalogue.Disks()[0].device, (folder_ / "dev" / "sdb").string());
    ListModel list;
    catalogue.ShowDiskDetails(1, 'N', list);
    EXPECT_EQ(list.Cell(1, 0), "Model                             :   Model sdb");
}

TEST(CatalogueNumberTest, LeadingDigitsOnly) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qv-number-" + std::to_string(::getpid()));
    const std::filesystem::path store = folder / "registry";
    platform::RegistryFile registry(store, {});
    ASSERT_TRUE(registry.CreateKey(kRoot, CatalogueKeys::kHead));
    const std::vector<std::pair<std::string, std::uint64_t>> cases = {
        {"255", 255}, {" 16", 16}, {"63abc", 63},
        {"abc", 0},   {"", 0},     {"99999999999999999999999", UINT64_MAX}};
    for (const auto& [text, value] : cases) {
        registry.SetTextValue(kRoot, CatalogueKeys::kHead, "Disk0", text);
        EXPECT_EQ(ReadCatalogueNumber(registry, CatalogueKeys::kHead, 0), value) << text;
    }
    EXPECT_EQ(ReadCatalogueNumber(registry, CatalogueKeys::kHead, 1), 0u);
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace quorvane
