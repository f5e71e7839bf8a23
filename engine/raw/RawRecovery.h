#pragma once

#include "engine/core/ListModel.h"
#include "engine/core/UserInterface.h"
#include "engine/disk/DeviceNameTable.h"
#include "engine/disk/SectorReader.h"
#include "engine/output/Destination.h"
#include "engine/raw/RawWindowCarver.h"
#include "platform/Registry.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

namespace quorvane {

inline constexpr std::string_view kRawCaption = "Quorvane";
inline constexpr std::string_view kSelectFileType = "Please select file type for recovery";
inline constexpr std::string_view kInvalidEndSector = "Invalid End Sector";
inline constexpr std::string_view kInvalidStartSector = "Invalid Start Sector";
inline constexpr std::string_view kStartNotBelowEnd = "Start sector should be less than End sector";
inline constexpr std::string_view kUnableToCreateDirectory = "Unable to Create Directory";
inline constexpr std::string_view kDestinationOnSource =
    "The destination folder is on the disk being recovered; choose a folder on another disk";

// Which types are checked, by type number.
using RawTypeSelection = std::array<bool, kRawTypeCount>;
RawTypeSelection CheckedRawTypes(const ListModel& fileTypeList);

// The range controls: the "Entire Disk" radio, or the start and end edits.
struct RawRangeInput {
    bool entireDisk = true;
    std::string startText;
    std::string endText;
};

enum class RawEdit { None, Start, End };

// The outcome of the checks of "S&tart Recovery" before a run starts.
struct RawStartCheck {
    bool ok = false;
    std::string message; // the text to show (empty: stop without one)
    MessageIcon icon = MessageIcon::Error;
    RawEdit focus = RawEdit::None;
    std::optional<std::string> endText; // new text for the end edit
    std::string detail;                 // the system's reason, naming the path
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    std::unique_ptr<Destination> destination;
};

// The checks of a start, in order: a type is checked; in range mode the end
// and start parse as numbers, start < end and end <= the disk's sector count;
// a destination was chosen; it exists or can be made, files can be created
// in it, and it is not on the disk being read (`sourcePath`).
RawStartCheck CheckRawStart(const RawTypeSelection& types, const RawRangeInput& range,
                            std::uint64_t diskSectors, const std::string& destination,
                            const std::string& sourcePath);
// Shows a failed check's message the way the wizard does (system-modal box,
// caption "Quorvane").
void ShowRawStartMessage(UserQuestions& questions, const RawStartCheck& check);

// The disk's sector count the range controls use: 2880 for the floppy,
// otherwise the catalogue's stored size / 512.
std::uint64_t RawDiskSectors(platform::Registry& registry, const DiskSelection& selection);

// Texts of the run.
std::string RawSearchingDiskText(std::uint16_t diskNumber); // "Searching Disk - 0"
std::string RawSectorStatus(std::uint64_t sector);          // " Searching Sector :- 800"
std::string RawTotalText(RawFileType type, std::uint64_t count);
std::string RawFileName(RawFileType type, std::uint64_t number); // "DOC12.DOC"

enum class RawWriteResult { Written, Failed, Stopped };

// One file the writer made (or failed to make).
struct RawFileRecord {
    std::string name;
    std::uint64_t number = 0;
    std::uint64_t firstSector = 0;
    std::uint64_t endSector = 0;
    RawFileType type = RawFileType::Word;
    std::uint64_t bytes = 0;
    RawWriteResult result = RawWriteResult::Written;
    std::string error;
    // The length came from the file's own structure (compound header and
    // tables, ZIP end record): exact with --exact-size, a lower bound else.
    bool sizeFromStructure = false;
};

class RawRecoveryObserver {
public:
    virtual ~RawRecoveryObserver() = default;
    virtual void FileDone(const RawFileRecord&) {}
};

struct RawRunSettings {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    RawTypeSelection types{};
    // Trim each file to the length its structure gives (off: the copy rule).
    bool exactSize = false;
};

struct RawRunOutcome {
    std::array<std::uint64_t, kRawTypeCount> recovered{};
    std::array<std::uint64_t, kRawTypeCount> failed{};
    std::uint64_t candidates = 0;
    bool stopped = false;
};

// What one run works with.
struct RawRunContext {
    SectorReader& reader;
    std::string device;
    Destination& destination;
    ListModel& rawResultList;
    ProgressSink& progress;
    RawRecoveryObserver* observer = nullptr;
};

// The worker of raw recovery: reads the range window by window, hands the
// windows to a RawWindowCarver and writes each decided candidate of a
// checked type as a numbered file; keeps RawResultList's totals, the status
// text and the progress. Stops between two reads when `stop` is requested
// (the file being copied then is removed).
RawRunOutcome RunRawRecovery(RawRunContext& context, const RawRunSettings& settings,
                             std::stop_token stop = {});

// Reads the window at `first` as 40 requests of 20 sectors, served from the
// reader's read-ahead blocks; sectors past the end of the disk read as zeros
// without a request. The only place raw recovery reads windows from.
void ReadRawWindow(SectorReader& reader, const std::string& device, std::uint64_t deviceSectors,
                   std::uint64_t first, std::span<std::byte> window);

// The writer: copies one candidate, already typed, into the destination.
struct RawWriter {
    SectorReader& reader;
    std::string device;
    std::uint64_t deviceSectors = 0;
    Destination& destination;
    bool exactSize = false;
};
RawFileRecord WriteRawFile(const RawWriter& writer, const RawCandidate& candidate, RawFileType type,
                           std::stop_token stop = {});
// The writer's type decision for a candidate (reads its first ten sectors).
RawFileType DecideRawType(SectorReader& reader, const std::string& device,
                          const RawCandidate& candidate);

} // namespace quorvane
