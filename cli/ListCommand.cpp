#include "cli/CliOutput.h"
#include "cli/Commands.h"

#include "engine/browse/FolderTreeListing.h"
#include "engine/disk/DiskCatalogue.h"
#include "engine/log/RecoveryLog.h"
#include "engine/scan/FatScan.h"
#include "engine/volume/PartitionWalk.h"
#include "engine/volume/VolumeValidation.h"

#include <atomic>
#include <chrono>
#include <fmt/format.h>
#include <iostream>
#include <nlohmann/json.hpp>

namespace quorvane::cli {

namespace {

// Runs the scan thread on a worker and waits, stopping it on Ctrl-C.
FatScanResult RunScan(RecoverySession& session, ProgressSink& progress) {
    InterruptGuard guard;
    ScanWorker worker;
    FatScanResult result;
    std::atomic<bool> done{false};
    worker.Start([&](std::stop_token stop) {
        result = FatScanThread(session, progress, stop);
        done = true;
    });
    while (!done.load()) {
        if (InterruptGuard::Interrupted()) {
            std::cerr << "\nquorvane-cli: stopping the search; listing what was found so far\n";
            return StopFatSearch(session, progress, worker);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    worker.Wait();
    return result;
}

void Choose(RecoverySession& session, const CommonOptions& options, const ListOptions& list,
            CliContext& context) {
    SearchInputs& search = session.Search;
    search.Mode = list.mode == "professional" ? SearchMode::Professional : SearchMode::Standard;
    if (list.floppy) {
        if (search.Mode != SearchMode::Standard) {
            throw CommandError("--floppy: a floppy is searched in standard mode only");
        }
        session.Selected = SelectedPartition{};
        session.Selected.fileSystem = FileSystemKind::Fat12;
        session.Selected.lastSector = 2879;
        search.Floppy = true;
        search.RangeStart = 0;
        search.RangeEnd = 2880;
        return;
    }
    ListCliPartitions(context, options.searched);
    const DiskPartitions& disk = session.Partitions[0];
    if (list.partition < 1 || static_cast<std::uint32_t>(list.partition) > disk.count) {
        throw CommandError(fmt::format("--partition {}: {} has {} partition(s)", list.partition,
                                       options.disk, disk.count));
    }
    const PartitionInfo& p = disk.partitions[static_cast<std::size_t>(list.partition - 1)];
    if (p.fileSystem != FileSystemKind::Fat16 && p.fileSystem != FileSystemKind::Fat32) {
        throw CommandError(fmt::format("--partition {}: a {} partition, not FAT16 or FAT32",
                                       list.partition, FileSystemName(p.fileSystem)));
    }
    session.Selected.fileSystem = p.fileSystem;
    session.Selected.firstSector = p.firstSector;
    session.Selected.lastSector = p.endSector > p.firstSector ? p.endSector - 1 : p.firstSector;
    session.Selected.partitionIndex = static_cast<std::uint32_t>(list.partition - 1);
    search.RangeStart = p.firstSector;
    search.RangeEnd = p.endSector;
    if (list.wholeDisk) {
        search.RangeStart = 0;
        search.RangeEnd = session.Reader.DeviceSectors(session.Device());
    }
    if (search.Mode == SearchMode::Standard) {
        search.VolumeParamsFilled =
            ValidateVolume(session.Reader, session.Device(), session.Selected, session.Volume,
                           session.Tables, context.Progress());
        if (!search.VolumeParamsFilled) {
            std::cerr << "partition " << list.partition
                      << ": the boot sector does not validate; calculating the parameters\n";
        }
    }
    // The partition tree is done with: the folder tree is built in its place.
    session.FolderTree.Clear();
}

} // namespace

void LoadCliLog(CliContext& context, const std::string& path) {
    context.Questions().OfferLogFileToOpen(path);
    const std::string model = DiskModelText(context.DiskPath());
    InterruptGuard guard;
    ScanWorker worker;
    LogResult result;
    std::atomic<bool> done{false};
    worker.Start([&](std::stop_token stop) {
        result = LoadRecoveryLog(context.Session(), model, context.Progress(), stop);
        done = true;
    });
    while (!done.load()) {
        if (InterruptGuard::Interrupted()) {
            worker.StopAndWait();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    worker.Wait();
    if (result.outcome != LogOutcome::Done) {
        // The engine's message (on stderr) says why.
        throw CommandError(path + ": the recovery log was not loaded");
    }
}

namespace {

// Writes the log of the search; false when it was not written.
bool SaveLog(CliContext& context, const ListOptions& list) {
    context.Questions().OfferLogFileToSave(list.saveLog, list.overwriteLog);
    const LogResult result = SaveRecoveryLog(context.Session(), DiskModelText(context.DiskPath()));
    for (const std::string& loss : result.losses) {
        std::cerr << "warning: the recovery log does not hold everything: " << loss << '\n';
    }
    if (result.outcome != LogOutcome::Done) {
        return false;
    }
    std::cerr << "quorvane-cli: recovery log written to " << result.path << '\n';
    return true;
}

// The search of the chosen partition (or the floppy), up to the folder tree.
void Search(CliContext& context, const CommonOptions& options, const ListOptions& list) {
    if (!list.floppy && list.partition == 0) {
        throw CommandError("--partition is required (or --floppy, or --load-log)");
    }
    RecoverySession& session = context.Session();
    Choose(session, options, list, context);

    const FatScanResult scan = RunScan(session, context.Progress());
    if (session.Search.Mode == SearchMode::Professional) {
        const BootTableT& systems = session.Tables.BootTable2;
        if (systems.RowCount() == 0) {
            throw CommandError("No file system could be identified");
        }
        for (std::size_t r = 0; r < systems.RowCount(); ++r) {
            std::cerr << fmt::format("File System {} - {}  start {}  sectors per cluster {}\n",
                                     r + 1, FileSystemName(systems[r].partType),
                                     systems[r].cluster0Start, systems[r].spc);
        }
        if (list.fileSystem < 1 || list.fileSystem > systems.RowCount()) {
            throw CommandError(fmt::format("--file-system {}: {} file system(s) were found",
                                           list.fileSystem, systems.RowCount()));
        }
        FatFileSystemThread(session, context.Progress(), list.fileSystem);
    } else if (!scan.treeBuilt) {
        throw CommandError("the search ended without a folder tree");
    }
}

} // namespace

int RunList(const CommonOptions& options, const ListOptions& list, std::ostream& out) {
    if (!list.loadLog.empty() && (list.partition != 0 || list.floppy || list.wholeDisk ||
                                  list.mode != "standard" || options.searched)) {
        throw CommandError("--load-log: the partition and the search come from the log; leave "
                           "out --partition, --floppy, --mode, --whole-disk and --searched");
    }
    if (list.overwriteLog && list.saveLog.empty()) {
        throw CommandError("--overwrite-log goes with --save-log");
    }
    CliContext context(options.disk, options.badSectors);
    RecoverySession& session = context.Session();
    if (list.loadLog.empty()) {
        Search(context, options, list);
    } else {
        LoadCliLog(context, list.loadLog);
    }
    const bool logFailed = !list.saveLog.empty() && !SaveLog(context, list);

    nlohmann::json entries = nlohmann::json::array();
    ListFolderTree(session.Browse(), [&](const ListedEntry& e) {
        if (options.json) {
            entries.push_back({{"path", e.path},
                               {"kind", e.folder ? "folder" : "file"},
                               {"size", e.size},
                               {"deleted", e.deleted},
                               {"type", e.type},
                               {"firstCluster", e.firstCluster},
                               {"date", e.date},
                               {"time", e.time}});
            return;
        }
        const std::string indent(2 * (e.path.size() - 1), ' ');
        const std::string name = e.path.back() + (e.folder ? "/" : "");
        out << fmt::format("{}{:<40} {:<26} {:>10}  {} {}{}\n", indent, name, e.type, e.size,
                           e.date, e.time, e.deleted ? "  [deleted]" : "");
    });
    if (options.json) {
        PrintJson(out, entries);
    }
    if (logFailed) {
        throw CommandError(list.saveLog + ": the recovery log was not saved");
    }
    return 0;
}

} // namespace quorvane::cli
