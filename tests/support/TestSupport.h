#pragma once

#include "engine/core/TreeFolders.h"
#include "engine/core/TreeModel.h"
#include "engine/core/UserInterface.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quorvane::test {

// Unpacked fixture images and manifests (tests/fixtures/*.tar.xz).
std::filesystem::path FixturePath(const std::string& name);
nlohmann::json LoadManifest(const std::string& imageName); // "demo" -> demo.json
// A volume of a fixture's manifest, with the end of its partition.
struct FixtureVolume {
    std::string image; // "demo"
    int partition = 0; // 1-based, 0 for a floppy
    std::uint64_t first = 0;
    std::uint64_t end = 0; // the first sector after its partition
    std::string fileSystem;
    std::string label;
};
// Every volume of the manifest of `imageName`, in its order.
std::vector<FixtureVolume> FixtureVolumes(const std::string& imageName);
// SHA-256 of a file, hex.
std::string Sha256OfFile(const std::filesystem::path& path);

// A FIFO in a test's folder, for code that must never wait on one. Without
// help, a blocking open() of a FIFO waits for a writer that never comes.
class Fifo {
public:
    explicit Fifo(std::filesystem::path path);
    ~Fifo();
    Fifo(const Fifo&) = delete;
    Fifo& operator=(const Fifo&) = delete;
    const std::filesystem::path& Path() const { return path_; }

    // Runs `work`; true when it returned by itself within 10 seconds. When it
    // has not, the write end is opened (again and again) until it returns, so
    // that a reader stuck in open() ends and the test fails instead of hanging.
    bool EndsWithoutAWriter(const std::function<void()>& work) const;

private:
    std::filesystem::path path_;
};

// A folder of its own for one test (named after it), removed afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::filesystem::path path;
};

// The whole content of a file (empty when it cannot be read), and a file
// made to hold exactly `bytes`.
std::vector<std::byte> ReadWhole(const std::filesystem::path& path);
void WriteWhole(const std::filesystem::path& path, const std::vector<std::byte>& bytes);

// The tree's items depth first, one a line, indented by depth: text, image,
// check state and " open" when expanded.
std::string TreeText(const TreeModel& tree);
// The folder records in list order, one a line: name, own and parent
// numbers, the record they hang under, date and time, deleted and loaded.
std::string FolderRecordsText(const TreeFolderList& folders);

// What a command run by the shell printed and how it ended.
struct CommandRun {
    int status = -1; // the exit status, -1 when it did not exit normally
    std::string out;
    std::string err;
};
// Runs `command` with the shell, its error output through the file `errFile`.
CommandRun RunCommand(const std::string& command, const std::filesystem::path& errFile);

// Answers the bad-sector dialog and the log's file dialogs from scripts
// (Retry, and Cancel, when a script is empty) and records every question.
class ScriptedQuestions final : public UserQuestions {
public:
    std::deque<BadSectorChoice> badSectorAnswers;
    int badSectorAsks = 0;
    std::vector<std::string> messages;
    std::vector<std::string> captions;
    // Answers to the messages in turn; messageAnswer once they are used up.
    std::deque<MessageAnswer> messageAnswers;
    MessageAnswer messageAnswer = MessageAnswer::Ok;
    std::deque<LogFileChoice> saveLogAnswers;
    std::deque<std::string> openLogAnswers;

    BadSectorChoice AskBadSector() override;
    MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                              MessageButtons buttons) override;
    LogFileChoice AskLogFileToSave() override;
    std::string AskLogFileToOpen() override;
};

// Records everything the engine shows.
class RecordingProgress final : public ProgressSink {
public:
    std::vector<std::string> hints;
    std::vector<std::string> statuses;
    std::vector<std::pair<int, std::string>> progress;
    int shown = 0;

    void SetHint(std::string_view text) override { hints.emplace_back(text); }
    void SetStatus(std::string_view text) override { statuses.emplace_back(text); }
    void ShowProgress(bool show) override { shown += show ? 1 : 0; }
    void SetProgress(int position, std::string_view text) override {
        progress.emplace_back(position, std::string(text));
    }
};

// A crafted disk in memory, built sector by sector.
class CraftedDisk {
public:
    explicit CraftedDisk(std::uint64_t sectors) : bytes(sectors * 512) {}
    std::vector<std::byte> bytes;

    std::byte* Sector(std::uint64_t sector) { return bytes.data() + sector * 512; }
    void Put8(std::uint64_t sector, std::size_t offset, std::uint8_t value);
    void Put16(std::uint64_t sector, std::size_t offset, std::uint16_t value);
    void Put32(std::uint64_t sector, std::size_t offset, std::uint32_t value);
    void PutText(std::uint64_t sector, std::size_t offset, std::string_view text);
    void Signature(std::uint64_t sector);
    // A partition entry (0..3) of the boot record at `sector`.
    void Entry(std::uint64_t sector, int index, std::uint8_t type, std::uint32_t start,
               std::uint32_t count);
};

} // namespace quorvane::test
