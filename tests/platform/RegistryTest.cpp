#include "platform/RegistryFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace platform {
namespace {

constexpr RootKey kRoot = RootKey::ClassesRoot;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("qv-registry-" + std::to_string(::getpid()) + "-" + info->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path Store() const { return folder_ / "config" / "registry"; }
    std::filesystem::path Layer() const { return folder_ / "machine.reg"; }
    RegistryFile Open() const { return RegistryFile(Store(), Layer()); }

    std::filesystem::path folder_;
};

TEST_F(RegistryTest, KeysAndValuesSurviveAFreshInstance) {
    {
        RegistryFile r = Open();
        ASSERT_TRUE(r.CreateKey(kRoot, "Tessik\\Dravel\\Model"));
        ASSERT_TRUE(r.SetTextValue(kRoot, "Tessik\\Dravel\\Model", "Disk3", "USB Stick"));
    }
    RegistryFile r = Open();
    EXPECT_TRUE(r.OpenKey(kRoot, "Tessik\\Dravel", KeyRight::AllAccess)); // parents exist
    EXPECT_TRUE(r.OpenKey(kRoot, "TESSIK\\dravel\\model", KeyRight::SetValue));
    EXPECT_EQ(r.QueryTextValue(kRoot, "Tessik\\Dravel\\Model", "disk3"), "USB Stick");
    EXPECT_EQ(r.QueryTextValue(kRoot, "Tessik\\Dravel\\Model", "Disk4"), "");
    EXPECT_EQ(r.QueryTextValue(kRoot, "Tessik\\Nothing", "Disk3"), "");
    EXPECT_FALSE(r.QueryValue(kRoot, "Tessik\\Dravel\\Model", "Disk4").has_value());
}

TEST_F(RegistryTest, ValueIsStoredWithoutTerminatorAndReadsBackExactly) {
    RegistryFile r = Open();
    ASSERT_TRUE(r.CreateKey(kRoot, "Tessik\\Dravel"));
    ASSERT_TRUE(r.SetTextValue(kRoot, "Tessik\\Dravel", "Disk3", "Disk3"));
    EXPECT_EQ(r.QueryValue(kRoot, "Tessik\\Dravel", "Disk3"), std::optional<std::string>("Disk3"));
    const std::string file = ReadFile(Store());
    EXPECT_NE(file.find("\tDisk3\tDisk3\n"), std::string::npos) << file;
    EXPECT_EQ(file.find('\0'), std::string::npos);

    // Bytes that would break a line come back unchanged; a terminator stored by
    // another writer ends the text.
    const std::string awkward = std::string("a\tb\nc%d\r") + '\0' + "tail";
    ASSERT_TRUE(r.SetTextValue(kRoot, "Tessik\\Dravel", "Odd", awkward));
    EXPECT_EQ(Open().QueryValue(kRoot, "Tessik\\Dravel", "Odd"), awkward);
    EXPECT_EQ(Open().QueryTextValue(kRoot, "Tessik\\Dravel", "Odd"), "a\tb\nc%d\r");
}

TEST_F(RegistryTest, SettingAValueNeverCreatesTheKey) {
    RegistryFile r = Open();
    EXPECT_FALSE(r.SetTextValue(kRoot, "Tessik\\Dravel\\Size", "Disk0", "1024"));
    EXPECT_FALSE(r.OpenKey(kRoot, "Tessik\\Dravel\\Size", KeyRight::QueryValue));
    EXPECT_FALSE(r.OpenKey(kRoot, "Tessik", KeyRight::QueryValue));
}

TEST_F(RegistryTest, DeleteKeyNeedsItsSubKeysGoneFirst) {
    RegistryFile r = Open();
    ASSERT_TRUE(r.CreateKey(kRoot, "Tessik\\Dravel\\Head"));
    ASSERT_TRUE(r.CreateKey(kRoot, "Tessik\\Dravel!")); // sorts between the two
    EXPECT_FALSE(r.DeleteKey(kRoot, "Tessik\\Dravel"));
    EXPECT_TRUE(r.DeleteKey(kRoot, "Tessik\\Dravel\\Head"));
    EXPECT_TRUE(r.DeleteKey(kRoot, "Tessik\\Dravel"));
    EXPECT_FALSE(r.DeleteKey(kRoot, "Tessik\\Dravel"));
    EXPECT_TRUE(r.OpenKey(kRoot, "Tessik\\Dravel!", KeyRight::Delete));
}

TEST_F(RegistryTest, DeleteValueRemovesOnlyThatValue) {
    RegistryFile r = Open();
    ASSERT_TRUE(r.CreateKey(kRoot, "Tessik\\Dravel"));
    ASSERT_TRUE(r.SetTextValue(kRoot, "Tessik\\Dravel", "Disk0", "Disk0"));
    ASSERT_TRUE(r.SetTextValue(kRoot, "Tessik\\Dravel", "Disk1", "Disk1"));
    EXPECT_TRUE(r.DeleteValue(kRoot, "Tessik\\Dravel", "DISK0"));
    EXPECT_FALSE(r.DeleteValue(kRoot, "Tessik\\Dravel", "Disk0"));
    EXPECT_EQ(r.QueryTextValue(kRoot, "Tessik\\Dravel", "Disk0"), "");
    EXPECT_EQ(r.QueryTextValue(kRoot, "Tessik\\Dravel", "Disk1"), "Disk1");
}

// Every change replaces the file whole: a reader running alongside a writer
// only ever sees complete versions, and no temporary file is left behind.
TEST_F(RegistryTest, WritesAreAtomic) {
    RegistryFile writer = Open();
    ASSERT_TRUE(writer.CreateKey(kRoot, "Tessik\\Dravel"));
    const std::string big(20000, 'x');
    std::atomic<bool> done = false;
    std::atomic<int> torn = 0;
    std::thread reader([&] {
        RegistryFile r = Open();
        while (!done) {
            const std::string file = ReadFile(Store());
            const std::string value = r.QueryTextValue(kRoot, "Tessik\\Dravel", "Big");
            if (file.rfind(RegistryFile::kHeader, 0) != 0 || file.back() != '\n' ||
                (!value.empty() && value.size() != big.size() + 1)) {
                ++torn;
            }
        }
    });
    for (int i = 0; i < 60; ++i) {
        ASSERT_TRUE(
            writer.SetTextValue(kRoot, "Tessik\\Dravel", "Big", big + std::to_string(i % 10)));
    }
    done = true;
    reader.join();
    EXPECT_EQ(torn, 0);
    for (const auto& entry : std::filesystem::directory_iterator(Store().parent_path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "registry" || name == "registry.lock") << name;
    }
    EXPECT_EQ(std::filesystem::status(Store().parent_path()).permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
}

// One program writes while the other waits, then the other reads and writes:
// neither loses what the other stored, and concurrent writers lose nothing.
TEST_F(RegistryTest, TwoProgramsInTurnAndAtOnce) {
    ASSERT_TRUE(Open().CreateKey(kRoot, "Tessik\\Dravel"));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RegistryFile r = Open();
        const bool ok = r.SetTextValue(kRoot, "Tessik\\Dravel", "Disk5", "Disk5");
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    RegistryFile r = Open();
    EXPECT_EQ(r.QueryTextValue(kRoot, "Tessik\\Dravel", "Disk5"), "Disk5");

    std::vector<pid_t> writers;
    for (int w = 0; w < 4; ++w) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            RegistryFile mine = Open();
            bool ok = true;
            for (int i = 0; i < 10; ++i) {
                ok &= mine.SetTextValue(kRoot, "Tessik\\Dravel",
                                        "W" + std::to_string(w) + "-" + std::to_string(i), "1");
            }
            ::_exit(ok ? 0 : 1);
        }
        writers.push_back(pid);
    }
    for (const pid_t pid : writers) {
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < 4; ++w) {
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(r.QueryTextValue(kRoot, "Tessik\\Dravel",
                                       "W" + std::to_string(w) + "-" + std::to_string(i)),
                      "1");
        }
    }
    EXPECT_EQ(r.QueryTextValue(kRoot, "Tessik\\Dravel", "Disk5"), "Disk5");
}

TEST_F(RegistryTest, MachineLayerIsReadOnlyAndUnderTheStore) {
    {
        std::ofstream layer(Layer());
        layer << RegistryFile::kHeader << "\nk\tHKEY_CLASSES_ROOT\\Tessik\nv\tDravel\t/opt/q%25v\n";
    }
    const std::string layerBefore = ReadFile(Layer());
    RegistryFile r = Open();
    EXPECT_EQ(r.QueryTextValue(kRoot, "Tessik", "Dravel"), "/opt/q%v");
    EXPECT_TRUE(r.OpenKey(kRoot, "Tessik", KeyRight::QueryValue));
    EXPECT_FALSE(r.OpenKey(kRoot, "Tessik", KeyRight::Delete));
    EXPECT_FALSE(r.DeleteKey(kRoot, "Tessik"));
    EXPECT_FALSE(r.SetTextValue(kRoot, "Tessik", "Dravel", "/elsewhere"));
    EXPECT_FALSE(r.DeleteValue(kRoot, "Tessik", "Dravel"));

    // The catalogue's keys live in the store beside the layer's entry.
    ASSERT_TRUE(r.CreateKey(kRoot, "Tessik\\Dravel"));
    ASSERT_TRUE(r.DeleteKey(kRoot, "Tessik\\Dravel"));
    EXPECT_EQ(r.QueryTextValue(kRoot, "Tessik", "Dravel"), "/opt/q%v");
    EXPECT_EQ(ReadFile(Layer()), layerBefore);

    // Without the layer the install entry is missing.
    EXPECT_EQ(RegistryFile(Store(), {}).QueryTextValue(kRoot, "Tessik", "Dravel"), "");
}

TEST_F(RegistryTest, AForeignFileIsNeitherReadNorOverwritten) {
    std::filesystem::create_directories(Store().parent_path());
    {
        std::ofstream foreign(Store());
        foreign << "k\tHKEY_CLASSES_ROOT\\Tessik\nmy notes\n";
    }
    const std::string before = ReadFile(Store());
    RegistryFile r = Open();
    EXPECT_FALSE(r.OpenKey(kRoot, "Tessik", KeyRight::QueryValue));
    EXPECT_FALSE(r.CreateKey(kRoot, "Tessik\\Dravel"));
    EXPECT_NE(r.LastError().find("not a Quorvane registry file"), std::string::npos);
    EXPECT_NE(r.LastError().find(Store().string()), std::string::npos);
    EXPECT_EQ(ReadFile(Store()), before);
}

TEST_F(RegistryTest, OnlyAFolderTheStoreMadeIsMadePrivate) {
    // The store's folder may be one that others share (the temporary folder):
    // its mode stays as it was. A folder the store creates is private.
    const std::filesystem::path shared = folder_ / "shared";
    std::filesystem::create_directories(shared);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    {
        RegistryFile r(shared / "registry", {});
        ASSERT_TRUE(r.CreateKey(kRoot, "Tessik"));
    }
    struct stat st {};
    ASSERT_EQ(::stat(shared.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 01777u);

    RegistryFile made = Open();
    ASSERT_TRUE(made.CreateKey(kRoot, "Tessik"));
    ASSERT_EQ(::stat(Store().parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
}

// A writer killed between writing its temporary and renaming it leaves the
// temporary behind; the next change removes it, and nothing else.
TEST_F(RegistryTest, StaleTemporariesAreRemovedUnderTheLock) {
    const std::filesystem::path folder = Store().parent_path();
    std::filesystem::create_directories(folder);
    const std::string temp = "registry" + std::string(RegistryFile::kTemporaryInfix);
    std::ofstream(folder / (temp + "Ab12Cd")) << RegistryFile::kHeader << "\nk\tHALF";
    std::ofstream(folder / (temp + "x9Y8z7")); // killed before it wrote anything
    const std::vector<std::string> kept = {temp + "toolong", "registry.backup",
                                           "other" + temp + "Ab12Cd", temp + "Link01"};
    for (const std::string& name : kept) {
        if (name == temp + "Link01") {
            std::filesystem::create_symlink(folder / "registry.backup", folder / name);
        } else {
            std::ofstream(folder / name) << name;
        }
    }
    ASSERT_TRUE(Open().CreateKey(kRoot, "Tessik"));
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    std::set<std::string> expected(kept.begin(), kept.end());
    expected.insert({"registry", "registry.lock"});
    EXPECT_EQ(names, expected);
    EXPECT_EQ(ReadFile(folder / "registry.backup"), "registry.backup");
}

// What stands at the store's path and is no store file is reported by name
// and left exactly as it is: a link is not followed (a link planted in a
// shared folder must not make the program write elsewhere), a FIFO not waited on.
TEST_F(RegistryTest, StoreThatIsNoFileIsRefusedAndLeftAlone) {
    const std::filesystem::path real = folder_ / "real-registry";
    ASSERT_TRUE(RegistryFile(real, {}).CreateKey(kRoot, "Tessik"));
    const std::string realBefore = ReadFile(real);
    std::filesystem::create_directories(Store().parent_path());
    const struct {
        const char* what;
        std::function<void()> make;
        std::function<bool()> unchanged;
        const char* reason;
    } cases[] = {
        {"link to a store", [&] { std::filesystem::create_symlink(real, Store()); },
         [&] { return std::filesystem::is_symlink(Store()) && ReadFile(real) == realBefore; },
         "is a symbolic link"},
        {"dangling link", [&] { std::filesystem::create_symlink(folder_ / "nowhere", Store()); },
         [&] {
             return std::filesystem::is_symlink(Store()) &&
                    !std::filesystem::exists(folder_ / "nowhere");
         },
         "is a symbolic link"},
        {"folder", [&] { std::filesystem::create_directory(Store()); },
         [&] { return std::filesystem::is_directory(Store()); }, "not a regular file"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(Store());
        c.make();
        RegistryFile r = Open();
        EXPECT_FALSE(r.CreateKey(kRoot, "Tessik\\Dravel")) << c.what;
        EXPECT_FALSE(r.OpenKey(kRoot, "Tessik", KeyRight::QueryValue)) << c.what;
        EXPECT_EQ(r.LastError().rfind(Store().string() + ": " + c.reason, 0), 0u)
            << c.what << ": " << r.LastError();
        EXPECT_TRUE(c.unchanged()) << c.what;
    }

    std::filesystem::remove_all(Store());
    const quorvane::test::Fifo fifo(Store());
    RegistryFile r = Open();
    bool created = true;
    EXPECT_TRUE(fifo.EndsWithoutAWriter([&] { created = r.CreateKey(kRoot, "Tessik"); }));
    EXPECT_FALSE(created);
    EXPECT_NE(r.LastError().find("not a regular file"), std::string::npos) << r.LastError();
}

// A home folder that is not there is reported; making it would hand the user
// an empty home that hides the real problem.
TEST_F(RegistryTest, MissingHomeIsReportedNotCreated) {
    const std::filesystem::path home = folder_ / "home";
    RegistryFile r(home / ".config" / "quorvane" / "registry", {}, home);
    EXPECT_FALSE(r.CreateKey(kRoot, "Tessik"));
    EXPECT_EQ(r.LastError().rfind(home.string() + ": the home folder does not exist", 0), 0u)
        << r.LastError();
    EXPECT_FALSE(std::filesystem::exists(home));

    std::filesystem::create_directories(home);
    EXPECT_TRUE(r.CreateKey(kRoot, "Tessik")) << r.LastError();
}

TEST_F(RegistryTest, UnwritableStoreFailsWithTheFileNamed) {
    // A file in place of the folder stops even root.
    std::ofstream(folder_ / "config") << "a file where the folder should be";
    RegistryFile r = Open();
    EXPECT_FALSE(r.CreateKey(kRoot, "Tessik\\Dravel"));
    EXPECT_NE(r.LastError().find((folder_ / "config").string()), std::string::npos);
}

TEST_F(RegistryTest, MalformedKeyPathsAreRefused) {
    RegistryFile r = Open();
    for (const char* key : {"", "\\", "Tessik\\\\Dravel"}) {
        EXPECT_FALSE(r.CreateKey(kRoot, key)) << key;
    }
    EXPECT_TRUE(r.CreateKey(kRoot, "\\Tessik\\"));
    EXPECT_TRUE(r.OpenKey(kRoot, "Tessik", KeyRight::AllAccess));
}

struct PathCase {
    const char* registry;
    const char* xdg;
    const char* home;
    const char* expected;
    const char* expectedHome; // the folder that must exist, "" for none
};

class RegistryPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(RegistryPathTest, StoreLocation) {
    const PathCase& c = GetParam();
    auto set = [](const char* name, const char* value) {
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    };
    const std::string oldHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    set("QUORVANE_REGISTRY", c.registry);
    set("XDG_CONFIG_HOME", c.xdg);
    set("HOME", c.home);
    const std::filesystem::path path = RegistryFile::DefaultStorePath();
    const std::filesystem::path home = RegistryFile::DefaultStoreHome();
    ::unsetenv("QUORVANE_REGISTRY");
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", oldHome.c_str(), 1);
    EXPECT_EQ(path, std::filesystem::path(c.expected));
    EXPECT_EQ(home, std::filesystem::path(c.expectedHome));
}

INSTANTIATE_TEST_SUITE_P(
    Environment, RegistryPathTest,
    ::testing::Values(PathCase{"/tmp/r.reg", "/x", "/h", "/tmp/r.reg", ""},
                      PathCase{"", "/x", "/h", "/x/quorvane/registry", ""},
                      PathCase{nullptr, "relative", "/h", "/h/.config/quorvane/registry", "/h"},
                      PathCase{nullptr, nullptr, "/h", "/h/.config/quorvane/registry", "/h"}));

TEST(RegistryLayerTest, MachineLayerSitsBesideTheProgramFolder) {
    EXPECT_EQ(RegistryFile::MachineLayerFor("/usr/local/bin"),
              std::filesystem::path("/usr/local/share/quorvane/machine.reg"));
}

} // namespace
} // namespace platform
