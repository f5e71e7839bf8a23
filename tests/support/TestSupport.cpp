#include "tests/support/TestSupport.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <sys/stat.h>
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

MessageAnswer ScriptedQuestions::ShowMessage(std::string_view text, std::string_view, MessageIcon,
                                             MessageButtons) {
    messages.emplace_back(text);
    return messageAnswer;
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
