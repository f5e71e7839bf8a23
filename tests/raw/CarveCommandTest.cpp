#include "tests/raw/RawTestDisk.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using CliRun = test::CommandRun;

CliRun RunCli(const std::string& args, const std::filesystem::path& scratch) {
    return test::RunCommand(std::string(QUORVANE_CLI) + " " + args, scratch / "stderr.txt");
}

std::string Quote(const std::filesystem::path& p) {
    return "'" + p.string() + "'";
}

TEST(CarveCommandTest, CarvesTheFixtureWithTotalsAndRecords) {
    test::TempFolder scratch;
    const std::string image = Quote(test::FixturePath("raw.img"));
    const std::string before = test::Sha256OfFile(test::FixturePath("raw.img"));
    ASSERT_EQ(before.size(), 64u);
    const CliRun text =
        RunCli("carve " + image + " --out " + Quote(scratch.path / "a") + " --types xls,zip",
               scratch.path);
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(
        text.out.find("Total Excel File(s) Recovered :  3\nTotal Zip File(s) Recovered :  5\n"),
        std::string::npos)
        << text.out;
    EXPECT_EQ(text.out.find("Word"), std::string::npos);

    const CliRun json = RunCli("carve " + image + " --out " + Quote(scratch.path / "b") +
                                   " --exact-size --start 2000 --end 5000 --json",
                               scratch.path);
    ASSERT_EQ(json.status, 0) << json.err;
    const nlohmann::json result = nlohmann::json::parse(json.out);
    ASSERT_EQ(result["files"].size(), 8u); // the files that start in [2000, 5000)
    const nlohmann::json& first = result["files"][0];
    EXPECT_EQ(first["name"], "DOC1.DOC");
    EXPECT_EQ(first["firstSector"], 2048);
    EXPECT_EQ(first["type"], "doc");
    EXPECT_EQ(first["result"], "written");
    EXPECT_EQ(first["bytes"], 16896);
    EXPECT_EQ(result["totals"]["zip"]["recovered"], 3);
    EXPECT_EQ(test::Sha256OfFile(test::FixturePath("raw.img")), before);
}

TEST(CarveCommandTest, BadInputsAreNamed) {
    test::TempFolder scratch;
    const std::string image = Quote(test::FixturePath("raw.img"));
    const std::string out = " --out " + Quote(scratch.path / "o");
    const struct {
        std::string args;
        int status;
        std::string error;
    } cases[] = {
        {"carve " + image + out + " --types doc,pdf", 1, "--types: unknown type 'pdf'"},
        {"carve " + image + out + " --types ,", 1, "--types: Please select file type for recovery"},
        {"carve " + image + out + " --start 100 --end 100", 1,
         "--start 100: Start sector should be less than End sector"},
        {"carve " + image + out + " --end 99999999", 1,
         "--end 99999999: Invalid End Sector (the disk has 40960 sectors)"},
        {"carve " + image + out + " --start x", 1, "--start x: Invalid Start Sector"},
        {"carve " + image + " --out " + image, 1,
         "The destination folder is on the disk being recovered"},
        {"carve " + image + " --out " + Quote(scratch.path / "no" / "such"), 1,
         "Unable to Create Directory"},
        {"carve " + image, 2, "--out is required"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli(c.args, scratch.path);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.err;
        EXPECT_NE(run.err.find(c.error), std::string::npos) << c.args << "\n" << run.err;
    }
}

} // namespace
} // namespace quorvane
