// quorvane-cli list --save-log and --load-log on the FAT fixtures.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quorvane {
namespace {

std::string Quote(const std::filesystem::path& p) {
    return "'" + p.string() + "'";
}

std::string Image(const std::string& name) {
    return Quote(test::FixturePath(name + ".img"));
}

class LogCommand : public ::testing::Test {
protected:
    test::CommandRun Cli(const std::string& args) {
        return test::RunCommand(std::string(QUORVANE_CLI) + " " + args, temp.path / "stderr.txt");
    }
    test::TempFolder temp;
};

TEST_F(LogCommand, ALoadedLogListsWhatTheSearchListed) {
    const std::string image = Image("fat16-full");
    for (const std::string form : {"", " --json"}) {
        std::filesystem::remove(temp.path / "result.WNF");
        const test::CommandRun searched = Cli("list " + image + " --partition 1" + form +
                                              " --save-log " + Quote(temp.path / "result"));
        ASSERT_EQ(searched.status, 0) << searched.err;
        EXPECT_NE(
            searched.err.find("recovery log written to " + (temp.path / "result.WNF").string()),
            std::string::npos)
            << searched.err;
        // The command line writes the same bytes as the engine's recorded save.
        EXPECT_EQ(
            test::ReadWhole(temp.path / "result.WNF"),
            test::ReadWhole(std::filesystem::path(QUORVANE_LOG_GOLDEN_DIR) / "fat16-full-1.WNF"));

        const test::CommandRun loaded =
            Cli("list " + image + form + " --load-log " + Quote(temp.path / "result.WNF"));
        ASSERT_EQ(loaded.status, 0) << loaded.err;
        EXPECT_EQ(loaded.out, searched.out);
    }
}

TEST_F(LogCommand, RefusalsNameWhatIsWrongAndExitNonZero) {
    const std::string fat16 = Image("fat16-full");
    const std::string log = Quote(temp.path / "saved.WNF");
    ASSERT_EQ(Cli("list " + fat16 + " --partition 1 --save-log " + log).status, 0);
    const struct {
        std::string args;
        std::string message;
        bool listed; // the search's listing is printed all the same
    } cases[] = {
        {"list " + Image("fat32-full") + " --load-log " + log, "You Have Selected Wrong Disk",
         false},
        {"list " + fat16 + " --load-log " + Quote(temp.path / "none.WNF"), "Unable to open file",
         false},
        {"list " + fat16 + " --partition 1 --load-log " + log, "--load-log: the partition", false},
        {"list " + fat16 + " --partition 1 --save-log " + Quote(temp.path / "result.txt"),
         "Invalid Extension", true},
        {"list " + fat16 + " --partition 1 --save-log " + log,
         "saved.WNF already exists. Do you want to overwrite this file?", true},
        {"list " + Image("fat12-floppy") + " --floppy --save-log " + Quote(temp.path / "floppy"),
         "Error: Recovery can not be saved for Floppy", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const test::CommandRun run = Cli(c.args);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(!run.out.empty(), c.listed);
    }
    EXPECT_FALSE(std::filesystem::exists(temp.path / "floppy.WNF"));
    const std::vector<std::byte> saved = test::ReadWhole(temp.path / "saved.WNF");
    test::WriteWhole(temp.path / "saved.WNF", {std::byte{1}});
    EXPECT_EQ(Cli("list " + fat16 + " --partition 1 --save-log " + log + " --overwrite-log").status,
              0);
    EXPECT_EQ(test::ReadWhole(temp.path / "saved.WNF"), saved);
}

} // namespace
} // namespace quorvane
