#include "platform/FileBlockDevice.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::unique_ptr<FileBlockDevice> FileBlockDevice::Open(const std::string& path,
                                                       std::string& error) {
    // Non-blocking, so that a FIFO or a terminal named as the disk is refused
    // below instead of waiting in open() for a writer that never comes.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = path + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    std::uint64_t size = 0;
    bool isBlock = false;
    if (S_ISREG(st.st_mode)) {
        size = static_cast<std::uint64_t>(st.st_size);
    } else if (S_ISBLK(st.st_mode)) {
        isBlock = true;
        if (::ioctl(fd, BLKGETSIZE64, &size) != 0) {
            error = path + ": cannot read the device size: " + std::strerror(errno);
            ::close(fd);
            return nullptr;
        }
    } else {
        error = path + ": not a disk image file or a block device";
        ::close(fd);
        return nullptr;
    }
    if (size < kMinimumSize) {
        error = path + ": holds no whole sector (" + std::to_string(size) + " bytes)";
        ::close(fd);
        return nullptr;
    }
    // Reads of a disk wait for the device like any other read.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return std::unique_ptr<FileBlockDevice>(new FileBlockDevice(fd, size, isBlock));
}

FileBlockDevice::~FileBlockDevice() {
    ::close(fd_);
}

std::int64_t FileBlockDevice::ReadAt(std::uint64_t offset, std::span<std::byte> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        if (offset > static_cast<std::uint64_t>(INT64_MAX) - done) {
            break;
        }
        const ssize_t n =
            ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return done > 0 ? static_cast<std::int64_t>(done) : -1;
        }
        if (n == 0) {
            break; // end of the device
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

} // namespace platform
