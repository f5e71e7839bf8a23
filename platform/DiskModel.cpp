#include "platform/DiskModel.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Attributes are short; anything longer is not an attribute's value.
constexpr std::size_t kMaxAttribute = 4096;

} // namespace

std::optional<std::string> ReadSystemAttribute(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st {};
    std::string text(kMaxAttribute, '\0');
    std::size_t done = 0;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    while (done < text.size()) {
        const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text.resize(done);
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return std::string();
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::optional<std::string> ReadDeviceModel(const std::filesystem::path& deviceFolder) {
    std::optional<std::string> model = ReadSystemAttribute(deviceFolder / "model");
    if (!model || model->empty()) {
        model = ReadSystemAttribute(deviceFolder / "name"); // memory cards name themselves here
    }
    if (!model || model->empty()) {
        return std::nullopt;
    }
    const std::optional<std::string> vendor = ReadSystemAttribute(deviceFolder / "vendor");
    if (vendor && !vendor->empty()) {
        return *vendor + " " + *model;
    }
    return model;
}

std::optional<std::string> ReportedDiskModel(const std::string& devicePath,
                                             const SystemPaths& paths) {
    struct stat st {};
    if (::stat(devicePath.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) {
        return std::nullopt;
    }
    std::filesystem::path folder = BlockDeviceFolder(st.st_rdev, paths);
    if (folder.empty()) {
        return std::nullopt;
    }
    std::error_code ec;
    if (std::filesystem::exists(folder / "partition", ec)) {
        folder = folder.parent_path();
    }
    return ReadDeviceModel(folder / "device");
}

} // namespace platform
