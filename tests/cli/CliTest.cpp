#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvane {
namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs quorvane-cli with the arguments (shell words) and collects its output.
// `prefix` goes before the program: environment assignments or a wrapper.
CliRun RunCli(const std::string& args, const std::string& prefix = "") {
    // One file per run: ctest runs the tests of this binary in parallel.
    static int runs = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string errFile =
        ::testing::TempDir() + "/qv-cli-" + info->name() + "-" + std::to_string(++runs) + ".stderr";
    const std::string command =
        prefix + " " + std::string(QUORVANE_CLI) + " " + args + " 2>" + errFile;
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    std::array<char, 4096> chunk{};
    std::size_t n = 0;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) {
        run.out.append(chunk.data(), n);
    }
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream err(errFile);
    run.err.assign(std::istreambuf_iterator<char>(err), {});
    return run;
}

std::string Fixture(const std::string& image) {
    return "'" + test::FixturePath(image).string() + "'";
}

nlohmann::json Golden(const std::string& name) {
    std::ifstream in(std::string(QUORVANE_GOLDEN_DIR) + "/" + name);
    return nlohmann::json::parse(in);
}

// The JSON output is what scripts rely on: it must stay as recorded.
TEST(CliTest, JsonOutputMatchesTheRecordedOutput) {
    const struct {
        std::string args;
        std::string golden;
    } cases[] = {
        {"partitions " + Fixture("demo.img") + " --json", "demo-partitions.json"},
        {"volume " + Fixture("demo.img") + " --partition 1 --json", "demo-volume-1.json"},
        {"volume " + Fixture("demo.img") + " --partition 2 --json", "demo-volume-2.json"},
        {"volume " + Fixture("demo.img") + " --partition 3 --json", "demo-volume-3.json"},
        {"volume " + Fixture("demo.img") + " --partition 4 --json", "demo-volume-4.json"},
        {"volume " + Fixture("fat16-fat2bad.img") + " --partition 1 --json",
         "fat16-fat2bad-volume-1.json"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli(c.args);
        ASSERT_EQ(run.status, 0) << c.args << "\n" << run.err;
        EXPECT_EQ(nlohmann::json::parse(run.out), Golden(c.golden)) << c.args;
    }
}

TEST(CliTest, TextOutputShowsTheTreeTexts) {
    const CliRun run = RunCli("partitions " + Fixture("demo.img"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Disk 0"), std::string::npos);
    EXPECT_NE(run.out.find("Partition - 3 ( NTFS )"), std::string::npos);
    const CliRun volume = RunCli("volume " + Fixture("fat16-fat2bad.img") + " --partition 1");
    ASSERT_EQ(volume.status, 0);
    EXPECT_NE(volume.out.find("(calculated)"), std::string::npos);
    EXPECT_NE(volume.err.find("calculating"), std::string::npos);
}

TEST(CliTest, ErrorsNameWhatIsWrongAndExitNonZero) {
    const struct {
        std::string args;
        int status;
        std::string inMessage;
    } cases[] = {
        {"partitions /nonexistent/disk.img", 1, "/nonexistent/disk.img"},
        {"partitions /tmp", 1, "/tmp: not a disk image"},
        {"volume " + Fixture("demo.img") + " --partition 9", 1, "--partition 9"},
        {"volume " + Fixture("demo.img") + " --partition 0", 1, "--partition 0"},
        {"volume " + Fixture("demo.img"), 2, "--partition"},
        {"volume " + Fixture("demo.img") + " --partition x", 2, "x"},
        {"partitions", 2, "DISK"},
        {"frobnicate", 2, "frobnicate"},
        {"partitions " + Fixture("demo.img") + " --on-bad-sector sometimes", 2, "sometimes"},
        {"search-partitions " + Fixture("demo.img") + " --cylinders -5", 2,
         "--cylinders: not a whole number from 0 to 18446744073709551615: -5"},
        {"search-partitions " + Fixture("demo.img") + " --cylinders 18446744073709551616", 2,
         "--cylinders: not a whole number"},
        {"search-partitions " + Fixture("demo.img") + " --heads -5", 2, "-5"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli(c.args);
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_NE(run.err.find(c.inMessage), std::string::npos) << c.args << "\n" << run.err;
    }
    EXPECT_EQ(RunCli("--help").status, 0);
    EXPECT_EQ(RunCli("volume --help").status, 0);
}

// A file that holds no whole sector, or a FIFO, is refused by every command
// alike, at once, naming the file and why.
TEST(CliTest, FilesThatAreNoDiskAreRefusedByEveryCommand) {
    const std::filesystem::path dir =
        std::filesystem::path(::testing::TempDir()) / ("qv-nodisk-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "sys");
    const test::Fifo fifo(dir / "disk.fifo");
    std::vector<std::pair<std::string, std::string>> disks = {
        {fifo.Path().string(), "not a disk image file or a block device"}};
    for (const std::size_t bytes : {0, 1, 511}) {
        const std::string path = (dir / (std::to_string(bytes) + ".img")).string();
        std::ofstream(path, std::ios::binary) << std::string(bytes, '\0');
        disks.emplace_back(path, "holds no whole sector (" + std::to_string(bytes) + " bytes)");
    }
    // disks runs the helper: against an empty device tree, into a store of its own.
    const std::string prefix = "QUORVANE_REGISTRY='" + (dir / "registry").string() +
                               "' PROBENIX_SYSFS='" + (dir / "sys").string() + "' timeout 20";
    for (const auto& [path, reason] : disks) {
        for (const std::string& command :
             {"partitions '" + path + "'", "volume '" + path + "' --partition 1",
              "list '" + path + "' --partition 1", "list '" + path + "' --floppy",
              "search-partitions '" + path + "'", "disks --image '" + path + "'",
              "disks --floppy '" + path + "'"}) {
            const CliRun run = RunCli(command, prefix);
            EXPECT_EQ(run.status, 1) << command << "\n" << run.err;
            EXPECT_NE(run.err.find(path + ": " + reason), std::string::npos) << command << "\n"
                                                                             << run.err;
        }
    }
    std::filesystem::remove_all(dir);
}

// A disk without a usable boot sector and without two directories: both
// validation and calculation fail, and the command says so.
TEST(CliTest, UnusableVolumeSaysParametersCannotBeCalculated) {
    test::CraftedDisk disk(4096);
    disk.Signature(0);
    disk.Entry(0, 0, 0x06, 2048, 2048);
    const std::string path = ::testing::TempDir() + "/qv-unusable-volume.img";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(disk.bytes.data()),
               static_cast<std::streamsize>(disk.bytes.size()));
    const CliRun run = RunCli("volume '" + path + "' --partition 1");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Unable to calculate partition parameters"), std::string::npos)
        << run.err;
}

// Reading never changes the disk.
TEST(CliTest, ImagesAreLeftUnchanged) {
    const auto image = test::FixturePath("demo.img");
    const std::string before = test::Sha256OfFile(image);
    ASSERT_FALSE(before.empty());
    for (int k = 1; k <= 4; ++k) {
        RunCli("volume " + Fixture("demo.img") + " --partition " + std::to_string(k));
    }
    EXPECT_EQ(test::Sha256OfFile(image), before);
}

} // namespace
} // namespace quorvane
