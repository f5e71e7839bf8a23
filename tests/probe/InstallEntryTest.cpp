#include "engine/disk/DiskCatalogue.h"
#include "platform/Process.h"
#include "platform/RegistryFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace quorvane {
namespace {

const std::filesystem::path kProbenix = PROBENIX_PATH;

class InstallEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("qv-install-" + std::to_string(::getpid()) + "-" + info->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // Runs a shell command; its exit status and what it printed.
    static std::pair<int, std::string> Run(const std::string& command) {
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>&1").c_str(), "r"),
                                                   ::pclose);
        std::string out;
        char chunk[4096];
        std::size_t n = 0;
        while ((n = std::fread(chunk, 1, sizeof chunk, pipe.get())) > 0) {
            out.append(chunk, n);
        }
        const int status = ::pclose(pipe.release());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
    }

    // A device tree with one removable 1 GiB disk sdc of this model, and the
    // environment that points probenix at it and at a store of the test's own.
    std::string CardReaderEnvironment(const std::string& model) const {
        const std::filesystem::path sys = folder_ / "sys" / "block" / "sdc";
        std::filesystem::create_directories(sys / "device");
        std::ofstream(sys / "removable") << "1\n";
        std::ofstream(sys / "size") << "2097152\n";
        std::ofstream(sys / "device" / "model") << model << "\n";
        return "QUORVANE_REGISTRY='" + (folder_ / "registry").string() + "' PROBENIX_SYSFS='" +
               (folder_ / "sys").string() + "' PROBENIX_DEV=/nonexistent ";
    }

    std::filesystem::path folder_;
};

TEST_F(InstallEntryTest, TheBuildTreeCarriesTheInstallEntry) {
    platform::RegistryFile registry(
        folder_ / "registry", platform::RegistryFile::MachineLayerFor(kProbenix.parent_path()));
    const std::string installFolder = ReadInstallFolder(registry);
    EXPECT_EQ(std::filesystem::path(installFolder), kProbenix.parent_path());
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(installFolder) /
                                        CatalogueKeys::kProbenixFile));
    // A program that is not where the build put it finds no entry.
    platform::RegistryFile elsewhere(folder_ / "registry",
                                     platform::RegistryFile::MachineLayerFor(folder_ / "bin"));
    EXPECT_EQ(ReadInstallFolder(elsewhere), "");
}

TEST_F(InstallEntryTest, TheInstallCarriesTheInstallEntry) {
    if (std::system("command -v cmake >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "cmake is not installed";
    }
    const auto [status, output] = Run("cmake --install '" + std::string(QUORVANE_BINARY_DIR) +
                                      "' --prefix '" + (folder_ / "prefix").string() + "'");
    ASSERT_EQ(status, 0) << output;
    const std::filesystem::path bin = folder_ / "prefix" / "bin";
    EXPECT_TRUE(std::filesystem::exists(bin / "probenix"));
    platform::RegistryFile registry(folder_ / "registry",
                                    platform::RegistryFile::MachineLayerFor(bin));
    EXPECT_EQ(ReadInstallFolder(registry), bin.string());
#ifdef QUORVANE_GUI_BUILT
    // The wizard, its help page in the install folder, its menu entry and icon.
    const std::filesystem::path share = folder_ / "prefix" / "share";
    for (const std::filesystem::path& file :
         {bin / "quorvane", bin / "help.html", share / "applications" / "quorvane.desktop",
          share / "icons" / "hicolor" / "scalable" / "apps" / "quorvane.svg"}) {
        EXPECT_TRUE(std::filesystem::exists(file)) << file;
    }
    std::ifstream desktop(share / "applications" / "quorvane.desktop");
    std::stringstream entry;
    entry << desktop.rdbuf();
    EXPECT_NE(entry.str().find("\nExec=quorvane\n"), std::string::npos);
    EXPECT_NE(entry.str().find("\nIcon=quorvane\n"), std::string::npos);
#endif
}

#ifdef QUORVANE_CLI_PATH
TEST_F(InstallEntryTest, CliDisksRunsTheHelperAndNamesWhatIsMissing) {
    const std::string env = CardReaderEnvironment("Card Reader");
    const std::string demo = test::FixturePath("demo.img").string();

    auto [status, output] = Run(env + QUORVANE_CLI_PATH + " disks --image '" + demo + "'");
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("  Disk0  (/nonexistent/sdc)"), std::string::npos) << output;
    EXPECT_NE(output.find("Model                             :   Card Reader"), std::string::npos);
    EXPECT_NE(output.find("Disk Size                        :   1024 MB"), std::string::npos);
    EXPECT_NE(output.find("  Disk1  (" + demo + ")"), std::string::npos) << output;

    std::tie(status, output) = Run(env + QUORVANE_CLI_PATH + " disks --image /nonexistent.img");
    EXPECT_EQ(status, 1);
    EXPECT_NE(output.find("/nonexistent.img"), std::string::npos) << output;

    // The same program away from its build: no install entry.
    std::filesystem::create_directories(folder_ / "bin");
    std::filesystem::copy_file(QUORVANE_CLI_PATH, folder_ / "bin" / "quorvane-cli");
    std::tie(status, output) = Run(env + (folder_ / "bin" / "quorvane-cli").string() + " disks");
    EXPECT_EQ(status, 1);
    EXPECT_NE(output.find("Quorvane is not installed properly, Please run setup again."),
              std::string::npos)
        << output;

    // A program that cannot read its own path (no /proc) says that, not an
    // empty path. Needs a mount namespace (root); the sanitizer's leak check
    // needs /proc too.
    if (Run("unshare --mount --fork true").first != 0) {
        GTEST_SKIP() << "no mount namespace for a program without /proc";
    }
    std::tie(status, output) =
        Run(env +
            "ASAN_OPTIONS=detect_leaks=0 unshare --mount --fork sh -c 'mount -t tmpfs none "
            "/proc && exec " +
            std::string(QUORVANE_CLI_PATH) + " disks'");
    EXPECT_EQ(status, 1) << output;
    EXPECT_NE(output.find("(no install entry: the path of this program could not be read)"),
              std::string::npos)
        << output;
}

// A model is whatever bytes a device reports: the JSON replaces what is not
// UTF-8 instead of failing, and the text shows control characters as \xHH.
TEST_F(InstallEntryTest, CliDisksShowsAnyModelSafely) {
    const std::string env = CardReaderEnvironment("Carte \xC3\xA9\xFF\x1B[31mRed\x07\xC2\x9B.");

    auto [status, output] = Run(env + QUORVANE_CLI_PATH + " disks --json");
    ASSERT_EQ(status, 0) << output;
    const nlohmann::json disks = nlohmann::json::parse(output);
    ASSERT_EQ(disks["disks"].size(), 1u);
    EXPECT_EQ(disks["disks"][0]["model"], "Carte \u00E9\uFFFD\u001B[31mRed\u0007\u009B.");

    std::tie(status, output) = Run(env + QUORVANE_CLI_PATH + " disks");
    EXPECT_EQ(status, 0);
    EXPECT_NE(output.find(":   Carte \u00E9\\xFF\\x1B[31mRed\\x07\\xC2\\x9B.\n"), std::string::npos)
        << output;
    EXPECT_EQ(output.find('\x1B'), std::string::npos);
}
#endif

} // namespace
} // namespace quorvane
