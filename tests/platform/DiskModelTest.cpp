// The model a block device reports, as the catalogue and the helper program
// read it: a partition's is its disk's.
#include "platform/DiskModel.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace platform {
namespace {

void Write(const std::filesystem::path& p, const std::string& text) {
    std::ofstream(p) << text << "\n";
}

TEST(DiskModel, ABlockDeviceAndItsPartitionsReportTheDisksModel) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "making device nodes needs root";
    }
    quorvane::test::TempFolder temp;
    const std::filesystem::path& root = temp.path;
    SystemPaths paths;
    paths.sysfs = (root / "sys").string();
    const auto disk = root / "sys/devices/sdq";
    std::filesystem::create_directories(disk / "device");
    std::filesystem::create_directories(disk / "sdq1");
    std::filesystem::create_directories(root / "sys/dev/block");
    Write(disk / "device/vendor", "ACME    ");
    Write(disk / "device/model", "Spinner 2000  ");
    Write(disk / "sdq1/partition", "1");
    std::filesystem::create_directory_symlink(disk, root / "sys/dev/block/240:16");
    std::filesystem::create_directory_symlink(disk / "sdq1", root / "sys/dev/block/240:17");
    const auto node = [&](const std::string& name, unsigned minor) {
        const std::string path = (root / name).string();
        EXPECT_EQ(::mknod(path.c_str(), S_IFBLK | 0600, makedev(240, minor)), 0);
        return path;
    };

    EXPECT_EQ(ReportedDiskModel(node("sdq", 16), paths), "ACME Spinner 2000");
    EXPECT_EQ(ReportedDiskModel(node("sdq1", 17), paths), "ACME Spinner 2000");
    // A memory card names itself; an unknown device and a plain file report nothing.
    std::filesystem::remove(disk / "device/model");
    std::filesystem::remove(disk / "device/vendor");
    Write(disk / "device/name", "SD64G");
    EXPECT_EQ(ReportedDiskModel((root / "sdq").string(), paths), "SD64G");
    EXPECT_FALSE(ReportedDiskModel(node("other", 99), paths).has_value());
    Write(root / "image.img", "x");
    EXPECT_FALSE(ReportedDiskModel((root / "image.img").string(), paths).has_value());
}

} // namespace
} // namespace platform
