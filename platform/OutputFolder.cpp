#include "platform/OutputFolder.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace platform {

namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

bool IsOneComponent(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

// The first line of a small system file, without its line end.
std::string FirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

bool ParseDeviceNumber(const std::string& text, std::uint64_t& device) {
    unsigned major = 0;
    unsigned minor = 0;
    char colon = 0;
    std::istringstream in(text);
    if (!(in >> major >> colon >> minor) || colon != ':') {
        return false;
    }
    device = MakeDeviceNumber(major, minor);
    return true;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// The block device a mount names as its source, for the mount whose device
// number is `device` (0 when there is none).
std::uint64_t MountSourceDevice(std::uint64_t device, const SystemPaths& paths) {
    std::ifstream in(paths.mountinfo);
    const std::string wanted = DeviceNumberText(device);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id;
        std::string parent;
        std::string number;
        if (!(fields >> id >> parent >> number) || number != wanted) {
            continue;
        }
        // After the optional fields comes "-", the type and the source.
        std::string field;
        while (fields >> field && field != "-") {
        }
        std::string type;
        std::string source;
        if (!(fields >> type >> source) || source.empty() || source[0] != '/') {
            continue;
        }
        struct stat st {};
        if (::stat(source.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
            return st.st_rdev;
        }
    }
    return 0;
}

} // namespace

std::string BlockDeviceFolder(std::uint64_t device, const SystemPaths& paths) {
    const std::string link = paths.sysfs + "/dev/block/" + DeviceNumberText(device);
    char resolved[PATH_MAX];
    if (::realpath(link.c_str(), resolved) == nullptr) {
        return {};
    }
    return resolved;
}

std::uint64_t MakeDeviceNumber(std::uint32_t major, std::uint32_t minor) {
    return makedev(major, minor);
}

std::string DeviceNumberText(std::uint64_t device) {
    return std::to_string(major(device)) + ":" + std::to_string(minor(device));
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool OutputFile::Write(std::span<const std::byte> bytes, std::string& error) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = Reason(errno);
            return false;
        }
        if (n == 0) {
            error = Reason(ENOSPC);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool OutputFile::Close(std::string& error) {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        error = Reason(errno);
        return false;
    }
    return true;
}

std::unique_ptr<OutputFolder> OutputFolder::Open(const std::string& path, bool create,
                                                 std::string& error) {
    if (path.empty()) {
        error = "no folder given";
        return nullptr;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && create) {
        if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
            error = path + ": " + Reason(errno);
            return nullptr;
        }
        fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (fd < 0) {
        error = path + ": " + (errno == ENOTDIR ? std::string("not a folder") : Reason(errno));
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = path + ": " + Reason(errno);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<OutputFolder>(new OutputFolder(fd, path, st.st_dev, st.st_ino));
}

OutputFolder::~OutputFolder() {
    ::close(fd_);
}

std::unique_ptr<OutputFile> OutputFolder::CreateNew(const std::string& name, bool& exists,
                                                    std::string& error) {
    exists = false;
    if (!IsOneComponent(name)) {
        error = "not a plain file name";
        return nullptr;
    }
    // O_EXCL also refuses a symbolic link of that name, dangling or not.
    const int fd =
        ::openat(fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        exists = errno == EEXIST;
        error = Reason(errno);
        return nullptr;
    }
    return std::make_unique<OutputFile>(fd);
}

bool OutputFolder::Remove(const std::string& name) {
    return IsOneComponent(name) && ::unlinkat(fd_, name.c_str(), 0) == 0;
}

bool OutputFolder::ProbeWritable(std::string& error) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = ".quorvane-probe-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter.fetch_add(1));
        bool exists = false;
        auto file = CreateNew(name, exists, error);
        if (file) {
            file.reset();
            Remove(name);
            return true;
        }
        if (!exists) {
            return false;
        }
    }
    error = "no free name for a test file";
    return false;
}

FolderStorage StorageOf(const OutputFolder& folder, const SystemPaths& paths) {
    FolderStorage storage;
    std::vector<std::uint64_t> pending{folder.Device()};
    if (const std::uint64_t source = MountSourceDevice(folder.Device(), paths); source != 0) {
        pending.push_back(source);
    }
    // Each step adds a device not seen before; a crafted or looping tree
    // ends at the bound.
    constexpr std::size_t kMostDevices = 64;
    while (!pending.empty() && storage.devices.size() < kMostDevices) {
        const std::uint64_t device = pending.back();
        pending.pop_back();
        if (std::find(storage.devices.begin(), storage.devices.end(), device) !=
            storage.devices.end()) {
            continue;
        }
        storage.devices.push_back(device);
        const std::string dir = BlockDeviceFolder(device, paths);
        if (dir.empty()) {
            continue;
        }
        std::uint64_t next = 0;
        if (Exists(dir + "/partition") &&
            ParseDeviceNumber(FirstLine(dir.substr(0, dir.rfind('/')) + "/dev"), next)) {
            pending.push_back(next);
        }
        for (const std::string& slave : Entries(dir + "/slaves")) {
            if (ParseDeviceNumber(FirstLine(dir + "/slaves/" + slave + "/dev"), next)) {
                pending.push_back(next);
            }
        }
        std::string backing = FirstLine(dir + "/loop/backing_file");
        constexpr std::string_view kDeleted = " (deleted)";
        if (backing.size() > kDeleted.size() &&
            backing.compare(backing.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0) {
            backing.resize(backing.size() - kDeleted.size());
        }
        struct stat st {};
        if (!backing.empty() && ::stat(backing.c_str(), &st) == 0) {
            storage.files.emplace_back(st.st_dev, st.st_ino);
            pending.push_back(st.st_dev);
        }
    }
    return storage;
}

std::vector<std::uint64_t> BlockDeviceFamily(std::uint64_t device, const SystemPaths& paths) {
    std::vector<std::uint64_t> family{device};
    const std::string dir = BlockDeviceFolder(device, paths);
    if (dir.empty()) {
        return family;
    }
    for (const std::string& entry : Entries(dir)) {
        std::uint64_t part = 0;
        if (Exists(dir + "/" + entry + "/partition") &&
            ParseDeviceNumber(FirstLine(dir + "/" + entry + "/dev"), part)) {
            family.push_back(part);
        }
    }
    return family;
}

std::string SourceConflict(const OutputFolder& folder, const std::string& sourcePath,
                           const SystemPaths& paths) {
    struct stat st {};
    if (sourcePath.empty() || ::stat(sourcePath.c_str(), &st) != 0) {
        return {};
    }
    const FolderStorage storage = StorageOf(folder, paths);
    if (S_ISBLK(st.st_mode)) {
        for (const std::uint64_t device : BlockDeviceFamily(st.st_rdev, paths)) {
            if (std::find(storage.devices.begin(), storage.devices.end(), device) !=
                storage.devices.end()) {
                return "the folder is on the disk being recovered (" + sourcePath + ", device " +
                       DeviceNumberText(device) + ")";
            }
        }
        return {};
    }
    const std::pair<std::uint64_t, std::uint64_t> image{st.st_dev, st.st_ino};
    if (std::find(storage.files.begin(), storage.files.end(), image) != storage.files.end()) {
        return "the folder is inside a mount of the disk image being recovered (" + sourcePath +
               ")";
    }
    return {};
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

} // namespace platform
