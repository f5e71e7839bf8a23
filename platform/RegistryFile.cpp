#include "platform/RegistryFile.h"

#include "platform/Process.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

constexpr std::string_view kClassesRoot = "HKEY_CLASSES_ROOT";

std::string Fold(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return folded;
}

// The full path of a key ("HKEY_CLASSES_ROOT\Tessik\Dravel"); empty for a path
// with an empty component, which no key can have.
std::string_view RootName(RootKey root) {
    switch (root) {
    case RootKey::ClassesRoot:
        break;
    }
    return kClassesRoot;
}

std::string FullPath(RootKey root, std::string_view key) {
    std::string path(RootName(root));
    while (!key.empty() && key.front() == '\\') {
        key.remove_prefix(1);
    }
    while (!key.empty() && key.back() == '\\') {
        key.remove_suffix(1);
    }
    if (key.empty() || key.find("\\\\") != std::string_view::npos) {
        return {};
    }
    path += '\\';
    path += key;
    return path;
}

// Percent-escapes the bytes that would break the line format, so that any data
// (tabs, line ends, zero bytes) comes back exactly as it was stored.
std::string Escape(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || b == '%') {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (text.size() - i < 3) {
            return false;
        }
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) {
            return false;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

// Holds an exclusive lock on the store's lock file while a change is read,
// made and written, so that two programs changing the store at the same time
// cannot lose each other's change.
class StoreLock {
public:
    explicit StoreLock(const std::filesystem::path& store) {
        const std::string path = store.string() + ".lock";
        // Not through a link: a link planted here must not make us create a
        // file elsewhere.
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            error_ = path + ": " + std::strerror(errno);
            return;
        }
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                error_ = path + ": cannot lock: " + std::strerror(errno);
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~StoreLock() {
        if (fd_ >= 0) {
            ::close(fd_); // releases the lock
        }
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool Held() const { return fd_ >= 0; }
    const std::string& Error() const { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

enum class ReadResult { Read, Missing, Link, NotAFile, Failed };

// A store holds a few kilobytes; a file of this size is no store of ours.
constexpr std::size_t kMaxStoreBytes = 64U << 20;

// Reads a regular file whole. Non-blocking open and a type check first, so that
// a FIFO at the path is refused instead of waited on.
ReadResult ReadWholeFile(const std::filesystem::path& file, bool followLink, std::string& bytes) {
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    const int fd = ::open(file.c_str(), flags);
    if (fd < 0) {
        if (errno == ENOENT) {
            return ReadResult::Missing;
        }
        return errno == ELOOP && !followLink ? ReadResult::Link : ReadResult::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadResult::NotAFile;
    }
    bytes.clear();
    char chunk[65536];
    while (bytes.size() < kMaxStoreBytes) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            errno = err;
            return ReadResult::Failed;
        }
        if (n == 0) {
            break;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadResult::Read;
}

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

RegistryFile::RegistryFile(std::filesystem::path store, std::filesystem::path machineLayer,
                           std::filesystem::path home)
    : store_(std::move(store)), machineLayer_(std::move(machineLayer)), home_(std::move(home)) {}

std::filesystem::path RegistryFile::DefaultStorePath() {
    if (const char* explicitPath = std::getenv("QUORVANE_REGISTRY");
        explicitPath != nullptr && *explicitPath != '\0') {
        return explicitPath;
    }
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME");
        xdg != nullptr && *xdg == '/') { // relative values are to be ignored
        config = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        config = std::filesystem::path(home) / ".config";
    } else {
        config = std::filesystem::temp_directory_path();
    }
    return config / "quorvane" / "registry";
}

std::filesystem::path RegistryFile::DefaultStoreHome() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    if (set("QUORVANE_REGISTRY")) {
        return {};
    }
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/') {
        return {};
    }
    return set("HOME") ? std::filesystem::path(std::getenv("HOME")) : std::filesystem::path();
}

std::filesystem::path RegistryFile::MachineLayerFor(const std::filesystem::path& programFolder) {
    return (programFolder / ".." / "share" / "quorvane" / "machine.reg").lexically_normal();
}

RegistryFile RegistryFile::ForThisProgram() {
    const std::filesystem::path program = CurrentProgramPath();
    return RegistryFile(DefaultStorePath(),
                        program.empty() ? std::filesystem::path()
                                        : MachineLayerFor(program.parent_path()),
                        DefaultStoreHome());
}

std::string RegistryFile::LastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

void RegistryFile::Fail(std::string message) {
    std::lock_guard lock(mutex_);
    lastError_ = std::move(message);
}

RegistryFile::LoadResult RegistryFile::Load(const std::filesystem::path& file, Hive& hive,
                                            bool followLink) {
    hive.clear();
    if (file.empty()) {
        return LoadResult::Missing;
    }
    std::string bytes;
    switch (ReadWholeFile(file, followLink, bytes)) {
    case ReadResult::Read:
        break;
    case ReadResult::Missing:
        return LoadResult::Missing;
    case ReadResult::Link:
        Fail(file.string() + ": is a symbolic link; the registry store is not used through a "
                             "link (point QUORVANE_REGISTRY at the file itself)");
        return LoadResult::Failed;
    case ReadResult::NotAFile:
        Fail(file.string() + ": not a regular file");
        return LoadResult::Failed;
    case ReadResult::Failed:
        Fail(file.string() + ": cannot be read: " + std::strerror(errno));
        return LoadResult::Failed;
    }
    std::istringstream in(bytes);
    std::string line;
    if (!std::getline(in, line) || line != kHeader) {
        // Not a file of ours: never read garbage into keys, and never write
        // over it (a mistyped QUORVANE_REGISTRY must not cost a user a file).
        Fail(file.string() + ": not a Quorvane registry file");
        return LoadResult::Failed;
    }
    Key* current = nullptr;
    std::string a;
    std::string b;
    while (std::getline(in, line)) {
        const std::vector<std::string_view> fields = SplitTabs(line);
        if (fields.size() == 2 && fields[0] == "k" && Unescape(fields[1], a) &&
            Fold(a).rfind(Fold(kClassesRoot), 0) == 0) {
            // Parents of a listed key exist even when the file omits them.
            for (std::string parent = ParentOf(a); parent.size() > kClassesRoot.size();
                 parent = ParentOf(parent)) {
                hive.try_emplace(Fold(parent), Key{parent, {}});
            }
            current = &hive.try_emplace(Fold(a), Key{a, {}}).first->second;
        } else if (fields.size() == 3 && fields[0] == "v" && current != nullptr &&
                   Unescape(fields[1], a) && Unescape(fields[2], b)) {
            current->values[Fold(a)] = Value{a, b};
        } else if (!line.empty()) {
            Fail(file.string() + ": damaged line ignored: " + line.substr(0, 80));
        }
    }
    return LoadResult::Loaded;
}

bool RegistryFile::Save(const Hive& hive) {
    std::ostringstream text;
    text << kHeader << '\n';
    for (const auto& [folded, key] : hive) {
        text << "k\t" << Escape(key.path) << '\n';
        for (const auto& [foldedName, value] : key.values) {
            text << "v\t" << Escape(value.name) << '\t' << Escape(value.data) << '\n';
        }
    }
    std::string temp = store_.string() + std::string(kTemporaryInfix) + "XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        Fail(store_.string() + ": cannot write: " + std::strerror(errno));
        return false;
    }
    const bool written = WriteAll(fd, text.str()) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    if (!written || ::rename(temp.c_str(), store_.c_str()) != 0) {
        const int err = written ? errno : savedErrno;
        ::unlink(temp.c_str());
        Fail(store_.string() + ": cannot write: " + std::strerror(err));
        return false;
    }
    // The rename itself is only durable once the folder is on disk.
    const std::string folder = store_.parent_path().empty() ? "." : store_.parent_path().string();
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void RegistryFile::RemoveStaleTemporaries() {
    // Called under the lock: every writer makes its temporary under the lock,
    // so one that is there now was left by a writer that did not finish.
    const std::filesystem::path folder =
        store_.parent_path().empty() ? std::filesystem::path(".") : store_.parent_path();
    const std::string prefix = store_.filename().string() + std::string(kTemporaryInfix);
    constexpr std::size_t kRandomPart = 6; // the XXXXXX of mkstemp
    constexpr std::size_t kMaxEntries = 10000;
    std::error_code ec;
    std::size_t seen = 0;
    for (std::filesystem::directory_iterator it(folder, ec), end;
         !ec && it != end && seen < kMaxEntries; it.increment(ec), ++seen) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + kRandomPart || name.rfind(prefix, 0) != 0) {
            continue;
        }
        struct stat st {};
        // Only a file of ours: never a link, and never another user's file in a
        // shared folder.
        if (::lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid()) {
            ::unlink(it->path().c_str());
        }
    }
}

template <typename Change> bool RegistryFile::Modify(Change&& change) {
    if (!home_.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_directory(home_, ec)) {
            Fail(home_.string() + ": the home folder does not exist; the registry store " +
                 store_.string() + " is not created");
            return false;
        }
    }
    if (const auto folder = store_.parent_path(); !folder.empty()) {
        // The store is private to its user, but only a folder the store made
        // itself is narrowed: an existing folder (the user's home, the system's
        // temporary folder) belongs to others and keeps its mode.
        std::error_code ec;
        const bool created = std::filesystem::create_directories(folder, ec);
        if (ec) {
            Fail(folder.string() + ": " + ec.message());
            return false;
        }
        if (created) {
            ::chmod(folder.c_str(), 0700);
        }
    }
    const StoreLock lock(store_);
    if (!lock.Held()) {
        Fail(lock.Error());
        return false;
    }
    RemoveStaleTemporaries();
    Hive hive;
    if (Load(store_, hive, false) == LoadResult::Failed) {
        return false;
    }
    bool changed = false;
    if (!change(hive, changed)) {
        return false;
    }
    return !changed || Save(hive);
}

bool RegistryFile::OpenKey(RootKey root, std::string_view key, KeyRight right) {
    const std::string path = FullPath(root, key);
    if (path.empty()) {
        return false;
    }
    Hive hive;
    Load(store_, hive, false);
    if (hive.count(Fold(path)) != 0) {
        return true;
    }
    if (right != KeyRight::QueryValue) {
        return false; // the machine layer cannot be changed
    }
    Load(machineLayer_, hive, true);
    return hive.count(Fold(path)) != 0;
}

bool RegistryFile::CreateKey(RootKey root, std::string_view key) {
    const std::string path = FullPath(root, key);
    if (path.empty()) {
        return false;
    }
    return Modify([&](Hive& hive, bool& changed) {
        for (std::string p = path; p.size() > kClassesRoot.size(); p = ParentOf(p)) {
            changed |= hive.try_emplace(Fold(p), Key{p, {}}).second;
        }
        return true;
    });
}

bool RegistryFile::DeleteKey(RootKey root, std::string_view key) {
    const std::string path = FullPath(root, key);
    if (path.empty()) {
        return false;
    }
    return Modify([&](Hive& hive, bool& changed) {
        const std::string folded = Fold(path);
        const auto it = hive.find(folded);
        if (it == hive.end()) {
            return false;
        }
        const std::string children = folded + '\\';
        const auto next = hive.lower_bound(children);
        if (next != hive.end() && next->first.rfind(children, 0) == 0) {
            return false; // sub-keys are deleted first
        }
        hive.erase(it);
        changed = true;
        return true;
    });
}

bool RegistryFile::SetTextValue(RootKey root, std::string_view key, std::string_view name,
                                std::string_view data) {
    const std::string path = FullPath(root, key);
    if (path.empty()) {
        return false;
    }
    return Modify([&](Hive& hive, bool& changed) {
        const auto it = hive.find(Fold(path));
        if (it == hive.end()) {
            return false;
        }
        it->second.values[Fold(name)] = Value{std::string(name), std::string(data)};
        changed = true;
        return true;
    });
}

std::optional<std::string> RegistryFile::QueryValue(RootKey root, std::string_view key,
                                                    std::string_view name) {
    const std::string path = FullPath(root, key);
    if (path.empty()) {
        return std::nullopt;
    }
    Hive hive;
    for (const bool machine : {false, true}) {
        Load(machine ? machineLayer_ : store_, hive, machine);
        const auto k = hive.find(Fold(path));
        if (k != hive.end()) {
            const auto v = k->second.values.find(Fold(name));
            if (v != k->second.values.end()) {
                return v->second.data;
            }
        }
    }
    return std::nullopt;
}

bool RegistryFile::DeleteValue(RootKey root, std::string_view key, std::string_view name) {
    const std::string path = FullPath(root, key);
    if (path.empty()) {
        return false;
    }
    return Modify([&](Hive& hive, bool& changed) {
        const auto k = hive.find(Fold(path));
        if (k == hive.end() || k->second.values.erase(Fold(name)) == 0) {
            return false;
        }
        changed = true;
        return true;
    });
}

} // namespace platform
