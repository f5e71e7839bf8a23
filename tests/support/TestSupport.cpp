#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#ifndef QUORVANE_FIXTURE_DIR
#error "QUORVANE_FIXTURE_DIR must be defined by the build"
#endif

namespace quorvane::test {

std::filesystem::path FixturePath(const std::string& name) {
    return std::filesystem::path(QUORVANE_FIXTURE_DIR) / name;
}

nlohmann::json LoadManifest(const std::string& imageName) {
    std::ifstream in(FixturePath(imageName + ".json"));
    if (!in) {
        throw std::runtime_error("missing manifest " + imageName + ".json");
    }
    return nlohmann::json::parse(in);
}

TempFolder::TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "qv-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                       std::to_string(::getpid());
    for (char& c : name) {
        c = c == '/' ? '_' : c; // parameterised tests: "Suite/Test/0"
    }
    path = std::filesystem::path(::testing::TempDir()) / name;
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

namespace {

void ItemText(const TreeModel& tree, TreeModel::Item item, int depth, std::string& out) {
    const TreeModel::Node& n = tree.At(item);
    out += std::string(static_cast<std::size_t>(2 * depth), ' ') + n.text + " " +
           std::to_string(n.image) + "/" + std::to_string(n.checkState) +
           (n.expanded ? " open" : "") + "\n";
    for (const TreeModel::Item c : tree.Children(item)) {
        ItemText(tree, c, depth + 1, out);
    }
}

} // namespace

std::string TreeText(const TreeModel& tree) {
    std::string out;
    for (const TreeModel::Item top : tree.TopLevel()) {
        ItemText(tree, top, 0, out);
    }
    return out;
}

std::string FolderRecordsText(const TreeFolderList& folders) {
    std::string out;
    for (const TreeFolder& f : folders) {
        out += f.name + " " + std::to_string(f.selfId) + "<" + std::to_string(f.parentId) + " @" +
               (f.parentRecord == TreeFolderList::npos ? "top" : std::to_string(f.parentRecord)) +
               " " + std::to_string(f.date) + "/" + std::to_string(f.time) +
               (f.deleted ? " deleted" : "") + (f.loaded ? " loaded" : "") + "\n";
    }
    return out;
}

std::vector<std::byte> ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::byte> bytes(chars.size());
    std::memcpy(bytes.data(), chars.data(), chars.size());
    return bytes;
}

void WriteWhole(const std::filesystem::path& path, const std::vector<std::byte>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

CommandRun RunCommand(const std::string& command, const std::filesystem::path& errFile) {
    CommandRun run;
    FILE* pipe = ::popen((command + " 2>'" + errFile.string() + "'").c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    std::array<char, 4096> chunk{};
    std::size_t n = 0;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) {
        run.out.append(chunk.data(), n);
    }
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream err(errFile);
    run.err.assign(std::istreambuf_iterator<char>(err), {});
    return run;
}

std::vector<FixtureVolume> FixtureVolumes(const std::string& imageName) {
    const nlohmann::json m = LoadManifest(imageName);
    std::vector<FixtureVolume> volumes;
    for (const auto& v : m["volumes"]) {
        FixtureVolume vol;
        vol.image = imageName;
        vol.partition = v["partition"].get<int>();
        vol.fileSystem = v["fileSystem"].get<std::string>();
        vol.label = v["label"].get<std::string>();
        vol.first = v["firstSector"].get<std::uint64_t>();
        for (const auto& p : m["partitions"]) {
            if (p["number"].get<int>() == vol.partition) {
                vol.end = p["endSector"].get<std::uint64_t>();
            }
        }
        volumes.push_back(vol);
    }
    return volumes;
}

std::string Sha256OfFile(const std::filesystem::path& path) {
    const std::string command = "sha256sum '" + path.string() + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) {
        return {};
    }
    std::array<char, 65> hash{};
    if (std::fread(hash.data(), 1, 64, pipe.get()) != 64) {
        return {};
    }
    return std::string(hash.data(), 64);
}

Fifo::Fifo(std::filesystem::path path) : path_(std::move(path)) {
    std::filesystem::remove(path_);
    if (::mkfifo(path_.c_str(), 0600) != 0) {
        throw std::runtime_error("cannot make the FIFO " + path_.string());
    }
}

Fifo::~Fifo() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
}

bool Fifo::EndsWithoutAWriter(const std::function<void()>& work) const {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::thread worker([&] {
        work();
        const std::lock_guard lock(mutex);
        done = true;
        ended.notify_all();
    });
    std::unique_lock lock(mutex);
    const bool byItself = ended.wait_for(lock, std::chrono::seconds(10), [&] { return done; });
    while (!done) {
        lock.unlock();
        // Succeeds only while a reader waits in open(); that reader then goes on.
        const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
        }
        lock.lock();
        ended.wait_for(lock, std::chrono::milliseconds(50), [&] { return done; });
    }
    lock.unlock();
    worker.join();
    return byItself;
}

BadSectorChoice ScriptedQuestions::AskBadSector() {
    ++badSectorAsks;
    if (badSectorAnswers.empty()) {
        return BadSectorChoice::Retry;
    }
    const BadSectorChoice choice = badSectorAnswers.front();
    badSectorAnswers.pop_front();
    return choice;
}

MessageAnswer ScriptedQuestions::ShowMessage(std::string_view text, std::string_view caption,
                                             MessageIcon, MessageButtons) {
    messages.emplace_back(text);
    captions.emplace_back(caption);
    if (messageAnswers.empty()) {
        return messageAnswer;
    }
    const MessageAnswer answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

LogFileChoice ScriptedQuestions::AskLogFileToSave() {
    if (saveLogAnswers.empty()) {
        return {};
    }
    LogFileChoice choice = saveLogAnswers.front();
    saveLogAnswers.pop_front();
    return choice;
}

std::string ScriptedQuestions::AskLogFileToOpen() {
    if (openLogAnswers.empty()) {
        return {};
    }
    std::string path = openLogAnswers.front();
    openLogAnswers.pop_front();
    return path;
}

void CraftedDisk::Put8(std::uint64_t sector, std::size_t offset, std::uint8_t value) {
    Sector(sector)[offset] = static_cast<std::byte>(value);
}

void CraftedDisk::Put16(std::uint64_t sector, std::size_t offset, std::uint16_t value) {
    Put8(sector, offset, static_cast<std::uint8_t>(value));
    Put8(sector, offset + 1, static_cast<std::uint8_t>(value >> 8));
}

void CraftedDisk::Put32(std::uint64_t sector, std::size_t offset, std::uint32_t value) {
    Put16(sector, offset, static_cast<std::uint16_t>(value));
    Put16(sector, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

void CraftedDisk::PutText(std::uint64_t sector, std::size_t offset, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        Put8(sector, offset + i, static_cast<std::uint8_t>(text[i]));
    }
}

void CraftedDisk::Signature(std::uint64_t sector) {
    Put8(sector, 510, 0x55);
    Put8(sector, 511, 0xAA);
}

void CraftedDisk::Entry(std::uint64_t sector, int index, std::uint8_t type, std::uint32_t start,
                        std::uint32_t count) {
    const std::size_t at = 0x1BE + static_cast<std::size_t>(index) * 16;
    Put8(sector, at + 4, type);
    Put32(sector, at + 8, start);
    Put32(sector, at + 12, count);
}

} // namespace quorvane::test
