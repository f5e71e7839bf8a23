// quorvane-cli list on the FAT fixtures: the JSON form, the errors, and the
// images left as they were.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <set>
#include <string>

namespace quorvane {
namespace {

struct CliRun {
    int status = -1;
    std::string out;
};

CliRun Cli(const std::string& arguments) {
    const std::string command = std::string(QUORVANE_CLI) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    CliRun run;
    if (pipe == nullptr) {
        return run;
    }
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        run.out.append(buffer.data(), n);
    }
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Image(const std::string& name) {
    return "'" + test::FixturePath(name + ".img").string() + "'";
}

TEST(ListCommand, JsonHasPathsKindsSizesAndDeletedMarks) {
    const std::string before = test::Sha256OfFile(test::FixturePath("fat16-full.img"));
    const CliRun run = Cli("list " + Image("fat16-full") + " --partition 1 --json");
    ASSERT_EQ(run.status, 0) << run.out;
    const nlohmann::json entries = nlohmann::json::parse(run.out);
    std::set<std::string> seen;
    for (const auto& e : entries) {
        std::string path;
        for (const auto& part : e["path"]) {
            path += (path.empty() ? "" : "/") + part.get<std::string>();
        }
        seen.insert(path + "|" + e["kind"].get<std::string>() + "|" +
                    std::to_string(e["size"].get<std::uint64_t>()) + "|" +
                    (e["deleted"].get<bool>() ? "deleted" : "live"));
        EXPECT_TRUE(e.contains("type") && e.contains("firstCluster") && e.contains("date"));
    }
    for (const std::string expected :
         {"Lost|folder|0|live", "Docs/Contacts1.csv|file|632|live",
          "Docs/Old Budget Draft.txt|file|3868|deleted", "Trash Folder|folder|0|deleted",
          "Trash Folder/Inner/_EEP.TXT|file|192|deleted",
          "Données été/日本語のファイル.txt|file|227|live",
          "Projects/Alpha/Designs/Final/layout v2.txt|file|775|live"}) {
        EXPECT_EQ(seen.count(expected), 1u) << expected;
    }
    EXPECT_EQ(test::Sha256OfFile(test::FixturePath("fat16-full.img")), before);
}

TEST(ListCommand, TextFormIndentsByDepth) {
    const CliRun run = Cli("list " + Image("fat12-full") + " --floppy");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("\nProjects/"), std::string::npos);
    EXPECT_NE(run.out.find("\n  Alpha/"), std::string::npos);
    EXPECT_NE(run.out.find("\n      Final/"), std::string::npos);
    EXPECT_NE(run.out.find("[deleted]"), std::string::npos);
}

TEST(ListCommand, ProfessionalListsTheChosenFileSystem) {
    const CliRun run =
        Cli("list " + Image("fat32-two") +
            " --partition 1 --mode professional --whole-disk --file-system 2 --json");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("File System 2 - FAT32"), std::string::npos);
    const nlohmann::json entries = nlohmann::json::parse(run.out.substr(run.out.find('[')));
    bool label = false;
    for (const auto& e : entries) {
        label = label || e["path"][0] == "QV_TWO_B";
    }
    EXPECT_TRUE(label) << "the second volume's root is listed";
}

TEST(ListCommand, ErrorsNameWhatIsWrong) {
    CliRun run = Cli("list " + Image("fat16-full") + " --partition 3");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("--partition 3"), std::string::npos) << run.out;
    run = Cli("list " + Image("fat16-full"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("--partition is required"), std::string::npos) << run.out;
    run = Cli("list " + Image("demo") + " --partition 3");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("NTFS"), std::string::npos) << run.out;
    run = Cli("list " + Image("fat16-full") + " --partition 1 --mode quick");
    EXPECT_EQ(run.status, 2);
    run = Cli("list " + Image("fat16-full") + " --partition 1 --mode professional --file-system 5");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("--file-system 5"), std::string::npos) << run.out;
}

} // namespace
} // namespace quorvane
