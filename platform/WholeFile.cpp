#include "platform/WholeFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

bool WriteAll(int fd, std::span<const std::byte> bytes, std::string& error) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = Reason(n < 0 ? errno : EIO);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        error = Reason(errno);
        return false;
    }
    return true;
}

// Writes and closes `fd`; false with the reason when any step fails.
bool WriteAndClose(int fd, std::span<const std::byte> bytes, std::string& error) {
    const bool written = WriteAll(fd, bytes, error);
    if (::close(fd) != 0 && written) {
        error = Reason(errno);
        return false;
    }
    return written;
}

} // namespace

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

WholeFileStatus ReadWholeFile(const std::string& path, std::uint64_t maxBytes,
                              std::vector<std::byte>& out, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = Reason(errno);
        return WholeFileStatus::CannotOpen;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "not a plain file";
        ::close(fd);
        return WholeFileStatus::CannotOpen;
    }
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size > maxBytes) {
        error = "larger than " + std::to_string(maxBytes) + " bytes";
        ::close(fd);
        return WholeFileStatus::CannotOpen;
    }
    std::vector<std::byte> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        error = "not enough memory for " + std::to_string(size) + " bytes";
        ::close(fd);
        return WholeFileStatus::Failed;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            error = Reason(errno);
            ::close(fd);
            return WholeFileStatus::Failed;
        }
        if (n == 0) {
            break; // the file shrank while it was read: what is there is its content
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    out = std::move(bytes);
    return WholeFileStatus::Ok;
}

WholeFileStatus WriteWholeFile(const std::string& path, std::span<const std::byte> bytes,
                               std::string& error) {
    if (!PathExists(path)) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            error = Reason(errno);
            return WholeFileStatus::CannotOpen;
        }
        if (!WriteAndClose(fd, bytes, error)) {
            ::unlink(path.c_str());
            return WholeFileStatus::Failed;
        }
        return WholeFileStatus::Ok;
    }

    // The file a link names is the one replaced, not the link.
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        error = Reason(errno);
        return WholeFileStatus::CannotOpen;
    }
    const std::string target = resolved;
    const int existing = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (existing < 0) {
        error = Reason(errno);
        return WholeFileStatus::CannotOpen;
    }
    struct stat st {};
    const bool plain = ::fstat(existing, &st) == 0 && S_ISREG(st.st_mode);
    ::close(existing);
    if (!plain) {
        error = "not a plain file";
        return WholeFileStatus::CannotOpen;
    }

    const std::size_t slash = target.rfind('/');
    std::string temp = target.substr(0, slash + 1) + "." + target.substr(slash + 1) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = Reason(errno);
        return WholeFileStatus::CannotOpen;
    }
    ::fchmod(fd, st.st_mode & 07777);
    // Keeps the owner when the caller may give files away (the owner of an
    // ordinary user's file replaced by an administrator); otherwise it has no effect.
    [[maybe_unused]] const int owned = ::fchown(fd, st.st_uid, st.st_gid);
    if (!WriteAndClose(fd, bytes, error)) {
        ::unlink(temp.c_str());
        return WholeFileStatus::Failed;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        error = Reason(errno);
        ::unlink(temp.c_str());
        return WholeFileStatus::Failed;
    }
    return WholeFileStatus::Ok;
}

} // namespace platform
