#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// One file being written into an output folder. Closed when destroyed.
class OutputFile {
public:
    explicit OutputFile(int fd) : fd_(fd) {}
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Writes all of `bytes`; false with the system's reason in `error` when
    // the write fails or stops short (a full disk).
    bool Write(std::span<const std::byte> bytes, std::string& error);
    // Closes the file; false when a delayed write error shows up.
    bool Close(std::string& error);

private:
    int fd_;
};

// A folder that recovered files are written into. It is opened once, and
// every file is created relative to that open folder by a single name, so a
// folder renamed or replaced by a link meanwhile cannot redirect the writes.
class OutputFolder {
public:
    // Opens `path` as a folder; with `create`, makes its last level when it
    // is missing (a missing parent is an error). Empty with `error` set.
    static std::unique_ptr<OutputFolder> Open(const std::string& path, bool create,
                                              std::string& error);
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    const std::string& Path() const { return path_; }

    // Creates the new file `name` inside the folder: `name` must be one path
    // component (no "/", not "." or ".."); an existing file, folder or link
    // of that name is never opened, followed or replaced (`exists` says so).
    std::unique_ptr<OutputFile> CreateNew(const std::string& name, bool& exists,
                                          std::string& error);
    // Removes a file this folder holds (only a plain name, never a folder).
    bool Remove(const std::string& name);
    // Creates and removes a file of a name no one uses, to learn whether
    // files can be written here. Nothing of the folder's is touched.
    bool ProbeWritable(std::string& error);

    // The file system's device number and the folder's inode.
    std::uint64_t Device() const { return device_; }
    std::uint64_t Inode() const { return inode_; }

private:
    OutputFolder(int fd, std::string path, std::uint64_t device, std::uint64_t inode)
        : fd_(fd), path_(std::move(path)), device_(device), inode_(inode) {}
    int fd_;
    std::string path_;
    std::uint64_t device_;
    std::uint64_t inode_;
};

// Where the system describes its block devices and mounts; tests point these
// at a crafted tree.
struct SystemPaths {
    std::string sysfs = "/sys";
    std::string mountinfo = "/proc/self/mountinfo";
};

// What data written into a folder lands on: the device of its file system,
// the device its mount names (file systems such as btrfs report a device
// number of their own), the whole disk of a partition, the devices under a
// device-mapper volume and the backing file of a loop device (and what that
// file lies on), followed to the end.
struct FolderStorage {
    std::vector<std::uint64_t> devices;                         // block device numbers
    std::vector<std::pair<std::uint64_t, std::uint64_t>> files; // (device, inode)
};
FolderStorage StorageOf(const OutputFolder& folder, const SystemPaths& paths = {});

// A block device and its partitions, as device numbers (the device first).
std::vector<std::uint64_t> BlockDeviceFamily(std::uint64_t device, const SystemPaths& paths = {});

// Why writing into the folder could change the disk or image at
// `sourcePath` (empty when it cannot): the folder lies on that block device
// or one of its partitions, or inside a mount of that image file.
std::string SourceConflict(const OutputFolder& folder, const std::string& sourcePath,
                           const SystemPaths& paths = {});

// True when both paths name the same existing file (after links).
bool SameFile(const std::string& a, const std::string& b);

// The folder of a block device under the system's device tree, links
// resolved (so that the parent of a partition's folder is its disk's); empty
// when the tree has none.
std::string BlockDeviceFolder(std::uint64_t device, const SystemPaths& paths = {});

// Device numbers as the system writes them ("8:2").
std::uint64_t MakeDeviceNumber(std::uint32_t major, std::uint32_t minor);
std::string DeviceNumberText(std::uint64_t device);

} // namespace platform
