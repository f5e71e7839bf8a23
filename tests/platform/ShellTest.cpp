#include "platform/Shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace platform {
namespace {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("qv-shell-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        ::unsetenv("QUORVANE_OPENER");
        std::filesystem::remove_all(folder_);
    }

    // An opener that writes the argument it was given into `record`.
    std::filesystem::path FakeOpener(const std::filesystem::path& record) {
        const std::filesystem::path script = folder_ / "opener";
        std::ofstream(script) << "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" << record.string()
                              << ".part'\nmv '" << record.string() << ".part' '" << record.string()
                              << "'\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        return script;
    }

    std::filesystem::path folder_;
};

TEST_F(ShellTest, OpensAFileAndAnAddressWithTheConfiguredOpener) {
    const std::filesystem::path page = folder_ / "help page.html";
    std::ofstream(page) << "<html></html>";
    for (const std::string& target : {page.string(), std::string("https://example.org/help")}) {
        const std::filesystem::path record = folder_ / "record";
        std::filesystem::remove(record);
        ::setenv("QUORVANE_OPENER", FakeOpener(record).c_str(), 1);
        SystemShell shell;
        std::string error;
        ASSERT_TRUE(shell.OpenWithAssociatedProgram(target, error)) << error;
        // The opener runs on its own; wait for what it leaves behind.
        for (int i = 0; i < 1000 && !std::filesystem::exists(record); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::ifstream in(record);
        std::stringstream text;
        text << in.rdbuf();
        EXPECT_EQ(text.str(), "1|" + target);
    }
}

TEST_F(ShellTest, AMissingFileOrOpenerIsNamed) {
    SystemShell shell;
    std::string error;
    ::setenv("QUORVANE_OPENER", "/bin/true", 1);
    EXPECT_FALSE(shell.OpenWithAssociatedProgram((folder_ / "missing.html").string(), error));
    EXPECT_NE(error.find("missing.html"), std::string::npos) << error;

    const std::filesystem::path page = folder_ / "help.html";
    std::ofstream(page) << "<html></html>";
    ::setenv("QUORVANE_OPENER", (folder_ / "no-such-opener").c_str(), 1);
    error.clear();
    EXPECT_FALSE(shell.OpenWithAssociatedProgram(page.string(), error));
    EXPECT_NE(error.find("help.html"), std::string::npos) << error;
    EXPECT_NE(error.find("xdg-utils"), std::string::npos) << error;
}

} // namespace
} // namespace platform
