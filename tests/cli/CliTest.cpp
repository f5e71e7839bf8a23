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

using CliRun = test::CommandRun;

// Runs quorvane-cli with the arguments (shell words) and collects its output.
// `prefix` goes before the program: environment assignments or a wrapper.
CliRun RunCli(const std::string& args, const std::string& prefix = "") {
    // One file per run: ctest runs the tests of this binary in parallel.
    static int runs = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string errFile =
        ::testing::TempDir() + "/qv-cli-" + info->name() + "-" + std::to_string(++runs) + ".stderr";
    return test::RunCommand(prefix + " " + std::string(QUORVANE_CLI) + " " + args, errFile);
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
        // The backup table, the hybrid MBR and the primary array that does not
        // match its CRC all come to the same partitions as the plain disk.
        {"partitions " + Fixture("gpt-plain.img") + " --json", "gpt-plain-partitions.json"},
        {"partitions " + Fixture("gpt-backup.img") + " --json", "gpt-plain-partitions.json"},
        {"partitions " + Fixture("gpt-hybrid.img") + " --json", "gpt-plain-partitions.json"},
        {"partitions " + Fixture("gpt-badarray.img") + " --json", "gpt-plain-partitions.json"},
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

// What the walk found out about a disk's tables is shown with the partitions
// (and as warnings by every other command), so that a GUID partition table
// disk never shows "(no partitions)" without saying why.
TEST(CliTest, PartitionTablesAreNamedWithWhatWasWrongWithThem) {
    const struct {
        std::string args;
        std::vector<std::string> inOut;
        std::vector<std::string> inErr;
    } cases[] = {
        {"partitions " + Fixture("demo.img"), {"Disk 0  (master boot record)\n"}, {}},
        {"partitions " + Fixture("gpt-plain.img"),
         {"Disk 0  (GUID partition table)\n",
          "  Partition - 1 ( FAT16 )    first         2048  end        18432  EFI system        "
          "  EFI system partition\n",
          "  Partition - 2 ( FAT32 )    first        20480  end        87072  basic data        "
          "  Données ключ\n",
          "note: GPT entry 2 (\"Microsoft reserved partition\", Microsoft reserved, sectors 18432 "
          "to 20479) holds no FAT or NTFS volume: not listed.\n"},
         {}},
        {"partitions " + Fixture("gpt-backup.img"),
         {"Disk 0  (GUID partition table, backup copy)\n",
          "warning: The primary GUID partition table is damaged (header at sector 1: no GPT "
          "signature); the backup table at sector 122879 is used.\n"},
         {}},
        {"partitions " + Fixture("gpt-badarray.img"),
         {"(entry array at sector 2: entry array CRC does not match)", "  Quorvane NTFS\n"},
         {}},
        {"partitions " + Fixture("gpt-hybrid.img"),
         {"(a hybrid MBR); the GUID partition table is followed."},
         {}},
        {"partitions " + Fixture("gpt-nogpt.img"),
         {"  (no partitions)\nwarning: The GUID partition table is unreadable (primary: header "
          "at sector 1: no GPT signature; backup: header at sector 122879: no GPT signature)",
          "quorvane-cli search-partitions"},
         {}},
        {"partitions " + Fixture("gpt-nogpt.img") + " --json",
         {"[]\n"},
         {"warning: The GUID partition table is unreadable"}},
        {"volume " + Fixture("gpt-backup.img") + " --partition 2",
         {"(validated)"},
         {"warning: The primary GUID partition table is damaged"}},
        {"search-partitions " + Fixture("gpt-nogpt.img"),
         {"Partition - 2 ( FAT32 )    first        20480",
          "The disk's GUID partition table is unreadable: these are the volumes found by the "
          "search, not the table's partitions."},
         {"warning: The GUID partition table is unreadable"}},
        {"search-partitions " + Fixture("gpt-nogpt.img") + " --json",
         {"\"gptUnreadable\": true"},
         {}},
        {"search-partitions " + Fixture("demo.img") + " --json", {"\"gptUnreadable\": false"}, {}},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli(c.args);
        EXPECT_EQ(run.status, 0) << c.args << "\n" << run.err;
        for (const std::string& text : c.inOut) {
            EXPECT_NE(run.out.find(text), std::string::npos) << c.args << ": " << text << "\nin\n"
                                                             << run.out;
        }
        for (const std::string& text : c.inErr) {
            EXPECT_NE(run.err.find(text), std::string::npos) << c.args << ": " << text << "\nin\n"
                                                             << run.err;
        }
    }
}

// A volume behind a GUID partition table is the same volume behind a master
// boot record: the same parameters, the same listing. The MBR twin is the GPT
// disk with a plain master boot record written over its protective one.
TEST(CliTest, GptPartitionsListLikeTheSameVolumesBehindAnMbr) {
    const std::filesystem::path twin = std::filesystem::path(::testing::TempDir()) /
                                       ("qv-mbr-twin-" + std::to_string(::getpid()) + ".img");
    std::filesystem::copy_file(test::FixturePath("gpt-plain.img"), twin,
                               std::filesystem::copy_options::overwrite_existing);
    {
        std::fstream disk(twin, std::ios::in | std::ios::out | std::ios::binary);
        std::array<unsigned char, 66> table{};
        const std::array<std::array<std::uint32_t, 3>, 3> entries = {
            {{0x06, 2048, 16384}, {0x0C, 20480, 66592}, {0x07, 88064, 32768}}};
        for (std::size_t i = 0; i < entries.size(); ++i) {
            table[i * 16 + 4] = static_cast<unsigned char>(entries[i][0]);
            for (int b = 0; b < 4; ++b) {
                table[i * 16 + 8 + b] = static_cast<unsigned char>(entries[i][1] >> (8 * b));
                table[i * 16 + 12 + b] = static_cast<unsigned char>(entries[i][2] >> (8 * b));
            }
        }
        table[64] = 0x55;
        table[65] = 0xAA;
        disk.seekp(446);
        disk.write(reinterpret_cast<const char*>(table.data()), table.size());
    }
    const std::string mbr = "'" + twin.string() + "'";
    const CliRun walk = RunCli("partitions " + mbr);
    ASSERT_NE(walk.out.find("(master boot record)"), std::string::npos) << walk.out;
    for (const std::string command : {"volume", "list"}) {
        for (int k = 1; k <= 3; ++k) {
            if (command == "list" && k == 3) {
                continue; // NTFS volumes are not listed yet
            }
            const std::string args = " --partition " + std::to_string(k) + " --json";
            const CliRun gpt = RunCli(command + " " + Fixture("gpt-plain.img") + args);
            const CliRun twinRun = RunCli(command + " " + mbr + args);
            ASSERT_EQ(gpt.status, 0) << command << args << "\n" << gpt.err;
            EXPECT_EQ(twinRun.status, 0) << command << args << "\n" << twinRun.err;
            EXPECT_EQ(nlohmann::json::parse(gpt.out), nlohmann::json::parse(twinRun.out))
                << command << args;
        }
    }
    std::filesystem::remove(twin);
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
    for (const auto& [image, partitions] : {std::pair{"demo.img", 4}, {"gpt-backup.img", 3}}) {
        const auto path = test::FixturePath(image);
        const std::string before = test::Sha256OfFile(path);
        ASSERT_FALSE(before.empty());
        for (int k = 1; k <= partitions; ++k) {
            RunCli("volume " + Fixture(image) + " --partition " + std::to_string(k));
        }
        EXPECT_EQ(test::Sha256OfFile(path), before) << image;
    }
}

} // namespace
} // namespace quorvane
