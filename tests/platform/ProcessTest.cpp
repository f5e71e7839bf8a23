#include "platform/Process.h"
#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace platform {
namespace {

TEST(ProcessTest, PassesTheArgumentsExactlyAndReturnsTheExitStatus) {
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() / ("qv-process-" + std::to_string(::getpid()));
    ::setenv("QV_PROCESS_TEST", "inherited", 1);
    SystemProcessLauncher launcher;
    // $0 is the first argument, then one empty argument.
    const int status = launcher.StartAndWait(
        "/bin/sh", {"/bin/sh", "-c",
                    "printf '%s|%s|%s|%s' \"$0\" \"$1\" \"$#\" \"$QV_PROCESS_TEST\" > '" +
                        out.string() + "'; exit 7",
                    "own-name", ""});
    ::unsetenv("QV_PROCESS_TEST");
    EXPECT_EQ(status, 7);
    std::ifstream in(out);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "own-name||1|inherited");
    std::filesystem::remove(out);
}

TEST(ProcessTest, FailuresToStartAndSignalsAreReported) {
    SystemProcessLauncher launcher;
    EXPECT_EQ(launcher.StartAndWait("/nonexistent/probenix", {"/nonexistent/probenix", ""}), -1);
    EXPECT_EQ(launcher.StartAndWait("/bin/sh", {"/bin/sh", "-c", "kill -9 $$"}), 128 + 9);
}

TEST(ProcessTest, CurrentProgramIsThisTest) {
    EXPECT_EQ(CurrentProgramPath().filename(), "platform_tests");
}

TEST(SystemInfoTest, NtFamilyAndNoWindowsReleaseNumber) {
    const std::optional<OsVersionInfo> os = GetOsVersion();
    ASSERT_TRUE(os.has_value());
    EXPECT_EQ(os->platformId, kPlatformNt);
    EXPECT_NE(os->majorVersion, 6u);
    EXPECT_FALSE(os->description.empty());
}

} // namespace
} // namespace platform
