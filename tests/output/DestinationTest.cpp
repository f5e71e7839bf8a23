#include "engine/output/Destination.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {
namespace {

class Scratch {
public:
    Scratch() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::path(::testing::TempDir()) /
               ("qv-output-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

TEST(DestinationTest, SafePathComponents) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"DOC12.DOC", "DOC12.DOC"},
        {"..", "_"},
        {".", "_"},
        {"", "_"},
        {"a/b\\c", "a_b_c"},
        {std::string("x\0y\n", 4), "x_y_"},
        {"../../etc/passwd", ".._.._etc_passwd"},
        {"Résumé ключ.txt", "Résumé ключ.txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SafePathComponent(c.in), c.out) << c.in;
    }
    const std::string longName = std::string(300, 'a') + "\xD0\xBA" + ".docx";
    const std::string cut = SafePathComponent(longName);
    EXPECT_LE(cut.size(), 255u);
    EXPECT_EQ(cut.substr(cut.size() - 5), ".docx");
    const std::string cyrillic =
        SafePathComponent(std::string(127, 'a') + std::string(200, '\xD0'));
    EXPECT_LE(cyrillic.size(), 255u);
}

TEST(DestinationTest, CreatesNewFilesOnlyInsideTheFolder) {
    Scratch scratch;
    const std::filesystem::path outside = scratch.path / "outside.txt";
    std::ofstream(outside) << "keep";
    const std::filesystem::path dest = scratch.path / "dest";
    DestinationOpen opened = Destination::Open(dest.string(), "");
    ASSERT_TRUE(opened.destination) << opened.detail;
    EXPECT_TRUE(std::filesystem::is_directory(dest));
    std::filesystem::create_symlink(outside, dest / "link.txt");
    std::ofstream(dest / "taken.txt") << "mine";

    for (const std::string name : {"link.txt", "taken.txt", "../outside.txt", "a/../../b"}) {
        Destination::Created created = opened.destination->Create(name);
        ASSERT_TRUE(created.file) << name << ": " << created.error;
        std::string error;
        EXPECT_TRUE(created.file->Write(std::as_bytes(std::span("new", 3)), error));
        EXPECT_TRUE(created.file->Close(error));
        EXPECT_EQ(created.name.find('/'), std::string::npos);
    }
    EXPECT_EQ(test::Sha256OfFile(outside).size(), 64u);
    std::ifstream keep(outside);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(keep), {}), "keep");
    std::ifstream mine(dest / "taken.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(mine), {}), "mine");
    EXPECT_TRUE(std::filesystem::exists(dest / "link_2.txt"));
    EXPECT_TRUE(std::filesystem::exists(dest / "taken_2.txt"));
    EXPECT_TRUE(std::filesystem::exists(dest / ".._outside.txt"));
    EXPECT_FALSE(std::filesystem::exists(scratch.path / "b"));
}

TEST(DestinationTest, FolderChecks) {
    Scratch scratch;
    EXPECT_EQ(Destination::Open("", "").error, DestinationError::NoPath);
    const DestinationOpen missing = Destination::Open((scratch.path / "a" / "b").string(), "");
    EXPECT_EQ(missing.error, DestinationError::CannotCreate);
    EXPECT_NE(missing.detail.find("a/b"), std::string::npos);
    const std::string file = (scratch.path / "file").string();
    std::ofstream(file) << "x";
    EXPECT_EQ(Destination::Open(file, "").error, DestinationError::CannotCreate);
    EXPECT_EQ(Destination::Open(file, file).error, DestinationError::OnSourceDisk);
    EXPECT_EQ(Destination::Open(scratch.path.string(), file).error, DestinationError::None);
}

// A crafted device tree: the scratch folder's file system is partition 2 of
// disk 8:0, or a loop device whose backing file is an image in the folder.
class FakeSystem {
public:
    explicit FakeSystem(const std::filesystem::path& root, std::uint64_t fsDevice) : root_(root) {
        paths.sysfs = (root / "sys").string();
        paths.mountinfo = (root / "mountinfo").string();
        std::filesystem::create_directories(root / "sys/dev/block");
        fs_ = platform::DeviceNumberText(fsDevice);
    }
    void AsPartitionOfDisk() {
        const auto disk = root_ / "sys/devices/sda";
        std::filesystem::create_directories(disk / "sda1");
        std::filesystem::create_directories(disk / "sda2");
        Write(disk / "dev", "8:0");
        Write(disk / "sda1/dev", "8:1");
        Write(disk / "sda1/partition", "1");
        Write(disk / "sda2/dev", fs_);
        Write(disk / "sda2/partition", "2");
        std::filesystem::create_directory_symlink(disk, root_ / "sys/dev/block/8:0");
        std::filesystem::create_directory_symlink(disk / "sda2", root_ / "sys/dev/block" / fs_);
    }
    void AsLoopOf(const std::filesystem::path& image) {
        const auto loop = root_ / "sys/devices/loop7";
        std::filesystem::create_directories(loop / "loop");
        Write(loop / "dev", fs_);
        Write(loop / "loop/backing_file", image.string());
        std::filesystem::create_directory_symlink(loop, root_ / "sys/dev/block" / fs_);
    }
    platform::SystemPaths paths;

private:
    static void Write(const std::filesystem::path& p, const std::string& text) {
        std::ofstream(p) << text << "\n";
    }
    std::filesystem::path root_;
    std::string fs_;
};

TEST(DestinationTest, StorageUnderTheFolderIsFollowedToTheDisk) {
    Scratch scratch;
    std::string error;
    auto folder = platform::OutputFolder::Open(scratch.path.string(), false, error);
    ASSERT_TRUE(folder) << error;
    FakeSystem system(scratch.path / "fake", folder->Device());
    system.AsPartitionOfDisk();
    const platform::FolderStorage storage = platform::StorageOf(*folder, system.paths);
    const std::vector<std::uint64_t> expected = {folder->Device(),
                                                 platform::MakeDeviceNumber(8, 0)};
    EXPECT_EQ(storage.devices, expected);
    const auto family = platform::BlockDeviceFamily(platform::MakeDeviceNumber(8, 0), system.paths);
    EXPECT_EQ(family.size(), 3u); // the disk and its two partitions
}

TEST(DestinationTest, AFolderInsideAMountOfTheImageIsRefused) {
    Scratch scratch;
    const std::string image = (scratch.path / "disk.img").string();
    std::ofstream(image) << "image";
    std::string error;
    auto folder = platform::OutputFolder::Open(scratch.path.string(), false, error);
    ASSERT_TRUE(folder) << error;
    EXPECT_TRUE(platform::SourceConflict(*folder, image,
                                         FakeSystem(scratch.path / "plain", folder->Device()).paths)
                    .empty());
    FakeSystem system(scratch.path / "fake", folder->Device());
    system.AsLoopOf(image);
    EXPECT_NE(
        platform::SourceConflict(*folder, image, system.paths).find("mount of the disk image"),
        std::string::npos);
    const DestinationOpen opened = Destination::Open(scratch.path.string(), image, system.paths);
    EXPECT_EQ(opened.error, DestinationError::OnSourceDisk);
}

} // namespace
} // namespace quorvane
