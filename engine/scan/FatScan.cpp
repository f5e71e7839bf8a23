#include "engine/scan/FatScan.h"

#include "engine/core/CellText.h"
#include "engine/fat/FatFileSystems.h"
#include "engine/fat/FatListText.h"
#include "engine/fat/FatTree.h"
#include "engine/fat/LostDirSearch.h"
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

// The first sector after the selected partition; 0 when it was not set.
std::uint64_t SelectedEnd(const SelectedPartition& p) {
    return p.lastSector > p.firstSector ? p.lastSector + 1 : 0;
}

// The current volume of a Standard search, from the partition's parameters.
CurrentVolume StandardVolume(const RecoverySession& session) {
    if (session.Selected.fileSystem == FileSystemKind::Fat12) {
        return CurrentVolume::Floppy();
    }
    return CurrentVolume::FromParams(session.Volume, session.Selected.fileSystem,
                                     SelectedEnd(session.Selected));
}

// The end of a Standard search: the tree from EntryTable and an empty file list.
void FinishStandard(RecoverySession& session, ProgressSink& progress) {
    Step(progress, kSearching);
    MarkOrphans(session.Tables.EntryTable, progress, kFatRootNumber);
    Step(progress, kStoring);
    BuildFatTree(session.FatView(), session, session.Tables.EntryTable, session.Selected.fileSystem,
                 progress);
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
    list.AppendRow("Partition Type : " + std::string(FileSystemName(first.partType)));
    list.AppendRow("File System Start : " + Decimal(first.cluster0Start));
    list.AppendRow("Sectors Per Clusters : " + Decimal(first.spc));
    session.Search.ChosenFileSystem = 1;
    session.Search.ChosenFileSystemType = first.partType;
}

// Identification after a Professional search, up to the choice of a file system.
FatScanResult FinishProfessional(RecoverySession& session, ProgressSink& progress) {
    FatScanResult result;
    result.fileSystems =
        IdentifyFatFileSystems(session.Tables, session.Selected.fileSystem, progress);
    if (result.fileSystems == 0) {
        progress.SetHint("Please click on back button.");
        session.Questions.ShowMessage("No file system could be identified", "Quorvane",
                                      MessageIcon::Error, MessageButtons::Ok);
        progress.SetHint(
            "No file system could be identified, Press back button and restart the process.");
    }
    AddFileSystemItems(session.Fat, session.Tables.BootTable2);
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
    session.Log.SavedToLog = false;
    session.Fat.Cache.Clear();
    session.Tables.EntryTable.DeleteAll();
    session.Tables.EntryTable2.DeleteAll();
    const FileSystemKind type = session.Selected.fileSystem;
    const SearchMode mode = session.Search.Mode;
    const bool fat16or32 = type == FileSystemKind::Fat16 || type == FileSystemKind::Fat32;
    progress.ShowProgress(true);

    if (mode == SearchMode::Standard && type == FileSystemKind::Fat12) {
        // The floppy's geometry is fixed; the search needs it to find the
        // data area, so it is set before the search as well as after.
        session.Current = CurrentVolume::Floppy();
        session.Current.ToParams(session.Volume);
        if (session.Search.RangeEnd == 0) {
            session.Search.RangeEnd = 2880;
        }
        LostDirSearch(session, session, session.Tables.EntryTable, progress, stop);
        if (stop.stop_requested()) {
            result.stopped = true;
            return result;
        }
        session.Current = CurrentVolume::Floppy();
        session.Current.ToParams(session.Volume);
        session.Selected.fileSystem = FileSystemKind::Fat12;
        FinishStandard(session, progress);
        result.treeBuilt = true;
    } else if (mode == SearchMode::Standard && fat16or32) {
        if (!session.Search.VolumeParamsFilled) {
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
        LostDirSearch(session, session, session.Tables.EntryTable, progress, stop);
        if (stop.stop_requested()) {
            result.stopped = true;
            return result;
        }
        session.Current = StandardVolume(session);
        FinishStandard(session, progress);
        result.treeBuilt = true;
    } else if (mode == SearchMode::Professional && fat16or32) {
        LostDirSearchPro(session, session.Search, session.Tables, progress, stop);
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
    session.Log.SavedToLog = false;
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

    BootRow& row = session.Tables.BootTable2[number - 1];
    if (row.firstFat == 0) {
        LocateFats(session.Reader, session.Device(), row);
    }
    CurrentVolume& v = session.Current;
    v = CurrentVolume{};
    v.Cluster0Start = row.cluster0Start;
    v.FileSystem = row.partType;
    v.FirstFAT = row.firstFat;
    v.ReserveSectors = row.reserveSectors;
    v.RootSectors =
        row.rootSectors == 0 && v.FileSystem == FileSystemKind::Fat16 ? 32 : row.rootSectors;
    v.RootStart = row.rootStart == 0 ? 2 : row.rootStart;
    v.SecondFAT = row.secondFat;
    v.SPC = row.spc;
    v.SPF = row.spf;
    // A file system found by its boot sector knows its end; one found by a
    // pair of folders does not, and only the disk bounds it.
    v.SetEnd(row.totalSectors);

    session.ClearFolders();
    EnsureRootItem(session);
    progress.ShowProgress(true);
    Step(progress, kSearching);
    MarkOrphans(table, progress, kFatRootNumber);
    Step(progress, kStoring);
    // Only FAT16 and FAT32 have their root directory read here.
    const bool fat16or32 =
        v.FileSystem == FileSystemKind::Fat16 || v.FileSystem == FileSystemKind::Fat32;
    BuildFatTree(session.FatView(), session, table, fat16or32 ? v.FileSystem : FileSystemKind::None,
                 progress);
    EnsureRootItem(session);

    SetFileListColumns(session.Tables.MainList);
    session.Tables.MainList.DeleteAll();
    progress.ShowProgress(false);
    progress.SetHint(kToSave);
    result.treeBuilt = true;
    result.fileSystems = static_cast<std::uint32_t>(systems.RowCount());
    return result;
}

FatScanResult StopFatSearch(RecoverySession& session, ProgressSink& progress, ScanWorker& worker) {
    progress.SetHint("Please wait..., This process will take few minutes");
    worker.StopAndWait();
    session.Current = StandardVolume(session);
    FatScanResult result;
    if (session.Search.Mode == SearchMode::Professional) {
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
