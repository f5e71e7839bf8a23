#include "engine/fat/FatScan.h"

#include "engine/core/CellText.h"
#include "engine/fat/FatFileSystems.h"
#include "engine/fat/FatListText.h"
#include "engine/fat/FatTree.h"
#include "engine/fat/LostDirSearch.h"
#include "engine/session/RecoverySession.h"
#include "engine/volume/VolumeCalculation.h"

namespace quorvane {

namespace {

constexpr std::string_view kSearching = "Searching Lost Directories. Please Wait...";
constexpr std::string_view kStoring = "Storing Directory Information. Please Wait...";
constexpr std::string_view kToSave =
    "To save items, please select and press save button or right click on right hand pane.";
constexpr std::string_view kPressNext = "Press Next to show files and folder.";

void Step(ProgressSink& progress, std::string_view text) {
    progress.SetHint(text);
    progress.SetStatus(text);
}

// The end of a Standard search: the tree from EntryTable and an empty file list.
void FinishStandard(RecoverySession& session, ProgressSink& progress) {
    Step(progress, kSearching);
    MarkOrphans(session.Tables.EntryTable, progress, kFatRootNumber);
    Step(progress, kStoring);
    BuildFatTree(session, progress);
    session.Tables.EntryTable.DeleteAll();
    session.Tables.EntryTable2.DeleteAll();
    session.Tables.LostDirTable.DeleteAll();
    SetFileListColumns(session.Tables.MainList);
    session.Tables.MainList.DeleteAll();
    progress.ShowProgress(false);
}

void SummaryRows(RecoverySession& session) {
    ListModel& list = session.Tables.MainList;
    const BootRow& first = session.Tables.BootTable2[0];
    list.AppendRow("File System - 1");
    list.AppendRow("Partition Type : " + first.partType);
    list.AppendRow("File System Start : " + Decimal(first.cluster0Start));
    list.AppendRow("Sectors Per Clusters : " + Decimal(first.spc));
    session.Fat.Search.ChosenFileSystem = 1;
    session.Fat.Search.ChosenFileSystemType = first.partType;
}

// Identification after a Professional search, up to the choice of a file system.
FatScanResult FinishProfessional(RecoverySession& session, ProgressSink& progress) {
    FatScanResult result;
    result.fileSystems = IdentifyFatFileSystems(session, progress);
    if (result.fileSystems == 0) {
        progress.SetHint("Please click on back button.");
        session.Questions.ShowMessage("No file system could be identified", "Quorvane",
                                      MessageIcon::Error, MessageButtons::Ok);
        progress.SetHint(
            "No file system could be identified, Press back button and restart the process.");
    }
    AddFileSystemItems(session);
    session.Tables.MainList.DeleteAll();
    result.nextEnabled = result.fileSystems > 0;
    progress.ShowProgress(false);
    if (result.fileSystems > 0) {
        SummaryRows(session);
    }
    return result;
}

} // namespace

FatScanResult FatScanThread(RecoverySession& session, ProgressSink& progress,
                            std::stop_token stop) {
    FatScanResult result;
    session.Fat.Cache.Clear();
    session.Tables.EntryTable.DeleteAll();
    session.Tables.EntryTable2.DeleteAll();
    const std::string type = session.Selected.fileSystem;
    const int mode = session.Fat.Search.SearchMode;
    progress.ShowProgress(true);

    if (mode == 1 && type == "FAT12") {
        // The floppy's geometry is fixed; the search needs it to find the
        // data area, so it is set before the search as well as after.
        session.Fat.Volume = CurrentVolume::Floppy();
        session.Fat.Volume.ToParams(session.Volume);
        if (session.Fat.Search.RangeEnd == 0) {
            session.Fat.Search.RangeEnd = 2880;
        }
        LostDirSearch(session, progress, stop);
        if (stop.stop_requested()) {
            result.stopped = true;
            return result;
        }
        session.Fat.Volume = CurrentVolume::Floppy();
        session.Fat.Volume.ToParams(session.Volume);
        session.Selected.fileSystem = "FAT12";
        FinishStandard(session, progress);
        result.treeBuilt = true;
    } else if (mode == 1 && (type == "FAT16" || type == "FAT32")) {
        if (!session.Fat.Search.VolumeParamsFilled) {
            if (!CalculateVolume(session.Reader, session.Device(), session.Selected, session.Volume,
                                 progress, stop)) {
                if (stop.stop_requested()) {
                    result.stopped = true;
                    return result;
                }
                session.Questions.ShowMessage("Unable to calculate partition parameters",
                                              "Quorvane", MessageIcon::Error, MessageButtons::Ok);
            }
        }
        LostDirSearch(session, progress, stop);
        if (stop.stop_requested()) {
            result.stopped = true;
            return result;
        }
        session.Fat.Volume = CurrentVolume::FromParams(session.Volume, type);
        FinishStandard(session, progress);
        result.treeBuilt = true;
    } else if (mode == 2 && (type == "FAT16" || type == "FAT32")) {
        LostDirSearchPro(session, progress, stop);
        if (stop.stop_requested()) {
            result.stopped = true;
            return result;
        }
        result = FinishProfessional(session, progress);
    } else {
        return result; // NTFS and the other modes are not FAT paths
    }
    progress.SetHint(kToSave);
    return result;
}

FatScanResult FatFileSystemThread(RecoverySession& session, ProgressSink& progress,
                                  std::uint32_t number) {
    FatScanResult result;
    const BootTableT& systems = session.Tables.BootTable2;
    if (number == 0 || number > systems.RowCount()) {
        return result;
    }
    session.Fat.Cache.Clear();
    EntryTableT& table = session.Tables.EntryTable;
    // Row 0 is always "Lost"; the wizard puts it there, and it is made here when
    // it is missing, so that folders without a parent are never out of sight.
    if (table.Empty() || table[0].self != kLostFolderNumber) {
        EntryRow lost;
        lost.name = "Lost";
        lost.self = kLostFolderNumber;
        lost.attr = 16;
        lost.type = "FOLDER";
        table.Insert(0, lost);
    }
    std::uint32_t k = 0;
    for (const LostDirRow& dir : session.Tables.LostDirTable) {
        if (dir.fileSystem != number) {
            continue;
        }
        EntryRow row;
        row.name = "DIR" + Decimal(k++);
        row.sector = dir.sector;
        row.self = dir.self;
        row.parent = dir.parent;
        row.date = dir.date;
        row.time = dir.time;
        row.size = 0;
        row.attr = 16;
        row.type = "FOLDER";
        table.Append(std::move(row));
    }

    const std::size_t index = number - 1;
    CurrentVolume& v = session.Fat.Volume;
    v = CurrentVolume{};
    v.Cluster0Start = systems[index].cluster0Start;
    v.FileSystem = systems[index].partType;
    if (systems[index].firstFat == 0) {
        LocateFats(session, index);
    }
    const BootRow& row = session.Tables.BootTable2[index];
    v.FirstFAT = row.firstFat;
    v.ReserveSectors = row.reserveSectors;
    v.RootSectors = row.rootSectors == 0 && v.FileSystem == "FAT16" ? 32 : row.rootSectors;
    v.RootStart = row.rootStart == 0 ? 2 : row.rootStart;
    v.SecondFAT = row.secondFat;
    v.SPC = row.spc;
    v.SPF = row.spf;

    session.FolderTree.Clear();
    session.Fat.TreeFolders.Clear();
    session.Fat.RootItem = TreeModel::kNone;
    EnsureRootItem(session);
    progress.ShowProgress(true);
    Step(progress, kSearching);
    MarkOrphans(table, progress, kFatRootNumber);
    Step(progress, kStoring);
    BuildFatTreeCurrent(session, progress);
    EnsureRootItem(session);

    SetFileListColumns(session.Tables.MainList);
    session.Tables.MainList.DeleteAll();
    progress.ShowProgress(false);
    progress.SetHint(kToSave);
    result.treeBuilt = true;
    result.fileSystems = static_cast<std::uint32_t>(systems.RowCount());
    return result;
}

void ScanWorker::Start(std::function<void(std::stop_token)> work) {
    StopAndWait();
    running_ = true;
    thread_ = std::jthread([this, work = std::move(work)](std::stop_token stop) {
        work(stop);
        running_ = false;
    });
}

void ScanWorker::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void ScanWorker::StopAndWait() {
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

FatScanResult StopFatSearch(RecoverySession& session, ProgressSink& progress, ScanWorker& worker) {
    progress.SetHint("Please wait..., This process will take few minutes");
    worker.StopAndWait();
    const std::string type = session.Selected.fileSystem;
    session.Fat.Volume =
        type == "FAT12" ? CurrentVolume::Floppy() : CurrentVolume::FromParams(session.Volume, type);
    FatScanResult result;
    if (session.Fat.Search.SearchMode == 2) {
        result = FinishProfessional(session, progress);
        if (result.fileSystems > 0) {
            progress.SetHint(kPressNext);
        }
        return result;
    }
    FinishStandard(session, progress);
    result.treeBuilt = true;
    return result;
}

} // namespace quorvane
