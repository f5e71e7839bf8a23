#include "engine/log/RecoveryLog.h"

#include "engine/core/FileListText.h"
#include "engine/log/LogTree.h"
#include "platform/WholeFile.h"

#include <array>
#include <limits>

namespace quorvane {

namespace {

constexpr std::string_view kCaption = "Quorvane";
constexpr std::string_view kLogExtension = "WNF";
// A log of this size would hold some 100 million files, more than any volume
// this program reads; a larger file is not taken into memory.
constexpr std::uint64_t kMaxLogBytes = std::uint64_t{4} << 30;
constexpr std::uint32_t kMax32 = std::numeric_limits<std::uint32_t>::max();

// Counts what a 32-bit field cannot hold; the field keeps 4294967295.
class Fit32 {
public:
    std::uint32_t operator()(std::uint64_t value) {
        if (value > kMax32) {
            ++lost_;
            return kMax32;
        }
        return static_cast<std::uint32_t>(value);
    }
    std::size_t Lost() const { return lost_; }

private:
    std::size_t lost_ = 0;
};

MessageAnswer Show(UserQuestions& questions, std::string_view text, MessageIcon icon,
                   MessageButtons buttons = MessageButtons::Ok,
                   std::string_view caption = kCaption) {
    return questions.ShowMessage(text, caption, icon, buttons);
}

LogResult Refuse(UserQuestions& questions, std::string text, MessageIcon icon,
                 std::string path = {}) {
    Show(questions, text, icon);
    LogResult result;
    result.outcome = LogOutcome::Refused;
    result.message = std::move(text);
    result.path = std::move(path);
    return result;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Asks for the file until a name is accepted; empty when the dialog was cancelled.
std::string ChooseLogFile(UserQuestions& questions) {
    for (;;) {
        const LogFileChoice choice = questions.AskLogFileToSave();
        if (choice.path.empty()) {
            return {};
        }
        bool appended = false;
        const std::string path = LogPathOf(choice.path, appended);
        if (!EndsWith(path, kLogExtension)) {
            Show(questions, "Invalid Extension", MessageIcon::Error);
            continue;
        }
        if (!platform::PathExists(path)) {
            return path;
        }
        // The dialog asked about the name it showed; a name given ".WNF"
        // here is another file, which nobody was asked about yet.
        if (choice.replaceConfirmed && !appended) {
            return path;
        }
        if (Show(questions, path + " already exists. Do you want to overwrite this file?",
                 MessageIcon::Question, MessageButtons::YesNo) == MessageAnswer::Yes) {
            return path;
        }
    }
}

bool LoadableFileSystem(FileSystemKind kind) {
    return kind == FileSystemKind::Fat16 || kind == FileSystemKind::Fat32 ||
           kind == FileSystemKind::Ntfs;
}

// The session's records as a loaded log makes them, built apart from the
// session so that nothing of it changes before the whole log is read.
struct LoadedLog {
    SelectedPartition selected;
    SearchInputs search;
    VolumeParams volume;
    CurrentVolume current;
    EntryTableT folders;
    EntryTableT files;
    LogTreePlan plan;
};

void FillVolume(const RecoveryLogContent& log, LoadedLog& out) {
    const auto& p = log.volumeParams;
    VolumeParams& v = out.volume;
    v.sectorsPerFat = p[0];
    v.sectorsPerCluster = p[1];
    v.rootSectors = p[2];
    v.rootStart = p[3];
    v.reservedSectors = p[4];
    v.cluster0Start = p[5];
    v.firstFat = p[6];
    v.secondFat = p[7];
    v.mftSector = p[8];
    v.mftMirrorSector = p[9];
    v.sectorsPerMftRecord = p[10];
    v.sectorsPerIndexRecord = p[11];

    const auto& c = log.currentVolume;
    CurrentVolume& cv = out.current;
    cv.FileSystem = FileSystemFromName(log.fileSystem);
    cv.SPF = c[0];
    cv.SPC = c[1];
    cv.RootSectors = c[2];
    cv.RootStart = c[3];
    cv.ReserveSectors = c[4];
    cv.Cluster0Start = c[5];
    cv.FirstFAT = c[6];
    cv.SecondFAT = c[7];
    cv.MftSector = c[8];
    cv.MftMirrorSector = c[9];
    cv.SectorsPerMftRecord = c[10];
    cv.SectorsPerIndexRecord = c[11];
    // A Standard search's volume ends with its partition, which the log
    // names. A Professional one ended where its boot sector said, which the
    // log does not hold: only the disk bounds it then.
    if (log.searchMode == static_cast<std::uint8_t>(SearchMode::Standard) &&
        log.lastSector > log.firstSector) {
        cv.SetEnd(log.lastSector + 1);
    }
}

void FillRows(const RecoveryLogContent& log, LoadedLog& out) {
    for (const LogFolder& f : log.folders) {
        EntryRow row;
        row.name = f.name;
        row.self = f.number;
        row.parent = f.parent;
        row.date = f.date;
        row.time = static_cast<std::uint32_t>(f.time);
        row.type = "FOLDER";
        row.deleted = f.deleted;
        out.folders.Append(std::move(row));
    }
    for (const LogFile& f : log.files) {
        EntryRow row;
        row.name = f.name;
        row.sector = f.sector;
        row.self = f.self;
        row.parent = f.parent;
        row.date = f.time;
        row.size = f.size;
        row.type = "FILE";
        row.SetCell(10, Decimal(f.deleted)); // the number as the cell's text
        out.files.Append(std::move(row));
    }
}

} // namespace

bool LogUsable(const RecoverySession& session) {
    if (session.Search.Mode == SearchMode::RawRecovery) {
        Show(session.Questions,
             "This Feature can not be used while running under RAW Recovery Mode",
             MessageIcon::Error);
        return false;
    }
    return true;
}

std::string LogPathOf(std::string_view chosen, bool& appended) {
    std::string path(chosen);
    const std::size_t slash = path.find_last_of("/\\");
    const std::string_view name =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    appended = name.find('.') == std::string_view::npos;
    if (appended) {
        path += ".WNF";
    }
    return path;
}

RecoveryLogContent CollectRecoveryLog(const RecoverySession& session, std::string_view diskModel,
                                      std::vector<std::string>& losses) {
    RecoveryLogContent log;
    log.model = diskModel;
    log.searchMode = static_cast<std::uint8_t>(session.Search.Mode);
    log.diskNumber = static_cast<std::uint8_t>(session.Selection.SelectedDiskNumber);
    log.partitionDisk = static_cast<std::uint8_t>(session.Selected.diskNumber);
    log.partitionIndex = static_cast<std::uint8_t>(session.Selected.partitionIndex);
    log.partitionFileSystem = FileSystemName(session.Selected.fileSystem);
    log.searchModeText = session.Search.ModeText.empty()
                             ? std::string(SearchModeText(session.Search.Mode))
                             : session.Search.ModeText;
    log.firstSector = session.Selected.firstSector;
    log.lastSector = session.Selected.lastSector;

    Fit32 geometry;
    const VolumeParams& p = session.Volume;
    log.volumeParams = {geometry(p.sectorsPerFat),
                        geometry(p.sectorsPerCluster),
                        geometry(p.rootSectors),
                        geometry(p.rootStart),
                        geometry(p.reservedSectors),
                        geometry(p.cluster0Start),
                        geometry(p.firstFat),
                        geometry(p.secondFat),
                        geometry(p.mftSector),
                        geometry(p.mftMirrorSector),
                        geometry(p.sectorsPerMftRecord),
                        geometry(p.sectorsPerIndexRecord)};
    const CurrentVolume& c = session.Current;
    log.currentVolume = {geometry(c.SPF),
                         geometry(c.SPC),
                         geometry(c.RootSectors),
                         geometry(c.RootStart),
                         geometry(c.ReserveSectors),
                         geometry(c.Cluster0Start),
                         geometry(c.FirstFAT),
                         geometry(c.SecondFAT),
                         geometry(c.MftSector),
                         geometry(c.MftMirrorSector),
                         geometry(c.SectorsPerMftRecord),
                         geometry(c.SectorsPerIndexRecord)};
    log.fileSystem = FileSystemName(c.FileSystem);
    if (geometry.Lost() > 0) {
        losses.push_back(std::to_string(geometry.Lost()) +
                         " value(s) of the volume's geometry lie beyond sector 4294967295 and "
                         "are kept as 4294967295: files cannot be read from this log");
    }

    std::size_t cut = 0;
    log.folders.reserve(session.TreeFolders.Count());
    for (const TreeFolder& f : session.TreeFolders) {
        LogFolder& out = log.folders.emplace_back();
        out.name = CutLogName(f.name);
        cut += out.name.size() < f.name.size() ? 1 : 0;
        out.number = f.selfId;
        out.parent = f.parentId;
        out.date = f.date;
        out.time = f.time;
        out.deleted = f.deleted;
    }
    if (log.HasFileSection()) {
        Fit32 sectors;
        Fit32 sizes;
        const EntryTableT& files = session.Tables.EntryTable2;
        log.files.reserve(files.RowCount());
        for (const EntryRow& row : files) {
            LogFile& out = log.files.emplace_back();
            out.name = CutLogName(row.name);
            cut += out.name.size() < row.name.size() ? 1 : 0;
            out.sector = sectors(row.sector);
            out.self = row.self;
            out.parent = row.parent;
            out.time = row.date;
            out.size = sizes(row.size);
            out.deleted = row.deleted ? 1 : 0;
        }
        if (sectors.Lost() > 0) {
            losses.push_back(std::to_string(sectors.Lost()) +
                             " file(s) have their MFT record beyond sector 4294967295: the log "
                             "keeps 4294967295, and they cannot be read from it");
        }
        if (sizes.Lost() > 0) {
            losses.push_back(std::to_string(sizes.Lost()) +
                             " file(s) of 4 GiB or more: the log keeps their size as 4294967295");
        }
    }
    if (cut > 0) {
        losses.push_back(std::to_string(cut) + " name(s) longer than 255 bytes were cut to 255");
    }
    return log;
}

LogResult SaveRecoveryLog(RecoverySession& session, std::string_view diskModel) {
    UserQuestions& questions = session.Questions;
    const FileSystemKind fileSystem = session.Current.FileSystem;
    if (fileSystem == FileSystemKind::Fat12) {
        Show(questions, "Recovery can not be saved for Floppy", MessageIcon::Error,
             MessageButtons::Ok, "Error");
        LogResult result;
        result.outcome = LogOutcome::Refused;
        result.message = "Recovery can not be saved for Floppy";
        return result;
    }
    if (!LoadableFileSystem(fileSystem)) {
        // Nothing was searched: such a log could never be loaded.
        return Refuse(questions, "There is no search result to save", MessageIcon::Error);
    }
    LogResult result;
    result.path = ChooseLogFile(questions);
    if (result.path.empty()) {
        return result;
    }
    const std::vector<std::byte> bytes =
        EncodeRecoveryLog(CollectRecoveryLog(session, diskModel, result.losses));
    std::string error;
    switch (platform::WriteWholeFile(result.path, bytes, error)) {
    case platform::WholeFileStatus::Ok:
        break;
    case platform::WholeFileStatus::CannotOpen:
        return Refuse(questions, "Unable to open file", MessageIcon::None, result.path);
    case platform::WholeFileStatus::Failed:
        // Not the system's own text: it never learnt of a failed write.
        return Refuse(questions, "Unable to write file " + result.path + ": " + error,
                      MessageIcon::Error, result.path);
    }
    session.Log.SavedToLog = true;
    session.Log.Path = result.path;
    result.outcome = LogOutcome::Done;
    return result;
}

LogResult LoadRecoveryLog(RecoverySession& session, std::string_view diskModel,
                          ProgressSink& progress, std::stop_token stop) {
    UserQuestions& questions = session.Questions;
    const std::string path = questions.AskLogFileToOpen();
    if (path.empty()) {
        return {};
    }
    std::vector<std::byte> bytes;
    std::string error;
    if (platform::ReadWholeFile(path, kMaxLogBytes, bytes, error) !=
        platform::WholeFileStatus::Ok) {
        return Refuse(questions, "Unable to open file", MessageIcon::None, path);
    }
    LogResult result = LoadRecoveryLogBytes(session, bytes, diskModel, progress, stop);
    result.path = path;
    if (result.outcome == LogOutcome::Done) {
        session.Log.Path = path;
    }
    return result;
}

LogResult LoadRecoveryLogBytes(RecoverySession& session, std::span<const std::byte> bytes,
                               std::string_view diskModel, ProgressSink& progress,
                               std::stop_token stop) {
    UserQuestions& questions = session.Questions;
    LogResult result;
    const std::optional<std::string> model = ReadLogModel(bytes);
    if (!model) {
        return Refuse(questions, "Error in file", MessageIcon::None);
    }
    if (*model != diskModel) {
        return Refuse(questions, "You Have Selected Wrong Disk", MessageIcon::Error);
    }

    progress.ShowProgress(true);
    const auto stopped = [&] {
        progress.ShowProgress(false);
        result.outcome = LogOutcome::Stopped;
        return result;
    };
    const auto refused = [&] {
        progress.ShowProgress(false);
        return Refuse(questions, "Error in file", MessageIcon::None);
    };
    RecoveryLogContent log;
    switch (DecodeRecoveryLog(bytes, log, progress, stop)) {
    case LogDecodeStatus::Ok:
        break;
    case LogDecodeStatus::Stopped:
        return stopped();
    case LogDecodeStatus::ErrorInFile:
        return refused();
    }
    LoadedLog loaded;
    FillVolume(log, loaded);
    if (!LoadableFileSystem(loaded.current.FileSystem)) {
        return refused();
    }
    FillRows(log, loaded);
    const bool ntfs = loaded.current.FileSystem == FileSystemKind::Ntfs;
    std::optional<LogTreePlan> plan =
        PlanTreeFromLog(loaded.folders, ntfs ? kNtfsRootNumber : kFatRootNumber, stop);
    if (!plan || stop.stop_requested()) {
        return stopped();
    }

    // The whole log is read: from here on nothing can fail, and the session
    // takes it over.
    session.Search.Mode = SearchMode::Standard;
    session.Search.ModeText = log.searchModeText;
    session.Search.Floppy = false;
    session.Selected.diskNumber = session.Selection.SelectedDiskNumber;
    session.Selected.partitionIndex = log.partitionIndex;
    session.Selected.fileSystem = FileSystemFromName(log.partitionFileSystem);
    session.Selected.firstSector = log.firstSector;
    session.Selected.lastSector = log.lastSector;
    session.Volume = loaded.volume;
    session.Current = loaded.current;
    session.Fat.Cache.Clear();

    ResultTables& t = session.Tables;
    t.EntryTable.DeleteAll();
    for (EntryRow& row : loaded.folders) {
        t.EntryTable.Append(std::move(row));
    }
    t.EntryTable2.DeleteAll();
    for (EntryRow& row : loaded.files) {
        t.EntryTable2.Append(std::move(row));
    }
    session.ClearFolders();
    BuildTreeFromLog(session, t.EntryTable, *plan, progress);
    SetFileListColumns(t.MainList);
    t.MainList.DeleteAll();
    progress.ShowProgress(false);

    session.Log.SavedToLog = true;
    session.Log.Path.clear();
    result.outcome = LogOutcome::Done;
    return result;
}

} // namespace quorvane
