#include "cli/CliOutput.h"
#include "cli/Commands.h"

#include "engine/volume/PartitionWalk.h"
#include "engine/volume/VolumeCalculation.h"
#include "engine/volume/VolumeValidation.h"

#include <fmt/format.h>
#include <iostream>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

namespace quorvane::cli {

int RunVolume(const CommonOptions& options, int partition, std::ostream& out) {
    CliContext context(options.disk, options.badSectors);
    RecoverySession& session = context.Session();
    ListCliPartitions(context, options.searched);
    const DiskPartitions& disk = session.Partitions[0];
    if (partition < 1 || static_cast<std::uint32_t>(partition) > disk.count) {
        throw CommandError(fmt::format("--partition {}: {} has {} partition(s)", partition,
                                       options.disk, disk.count));
    }
    const PartitionInfo& p = disk.partitions[static_cast<std::size_t>(partition - 1)];
    session.Selected.fileSystem = p.fileSystem;
    session.Selected.firstSector = p.firstSector;
    session.Selected.lastSector = p.endSector > p.firstSector ? p.endSector - 1 : p.firstSector;
    session.Selected.partitionIndex = static_cast<std::uint32_t>(partition - 1);
    session.Selected.diskNumber = 0;

    std::string how = "validated";
    if (!ValidateVolume(session.Reader, session.Device(), session.Selected, session.Volume,
                        session.Tables, context.Progress())) {
        if (p.fileSystem == FileSystemKind::Ntfs) {
            throw CommandError("Recovery is not possible in Standard Search use Professional "
                               "Search");
        }
        std::cerr << "partition " << partition
                  << ": the boot sector does not validate; calculating the parameters\n";
        session.Volume = VolumeParams{};
        if (!CalculateVolume(session.Reader, session.Device(), session.Selected, session.Volume,
                             context.Progress())) {
            throw CommandError("Unable to calculate partition parameters");
        }
        how = "calculated";
    }

    const VolumeParams& v = session.Volume;
    const std::vector<std::pair<const char*, std::uint64_t>> fields = {
        {"sectorsPerFat", v.sectorsPerFat},
        {"sectorsPerCluster", v.sectorsPerCluster},
        {"rootSectors", v.rootSectors},
        {"rootStart", v.rootStart},
        {"reservedSectors", v.reservedSectors},
        {"cluster0Start", v.cluster0Start},
        {"firstFat", v.firstFat},
        {"secondFat", v.secondFat},
        {"mftSector", v.mftSector},
        {"mftMirrorSector", v.mftMirrorSector},
        {"sectorsPerMftRecord", v.sectorsPerMftRecord},
        {"sectorsPerIndexRecord", v.sectorsPerIndexRecord},
    };
    if (options.json) {
        nlohmann::json object = {{"partition", partition},
                                 {"fileSystem", FileSystemName(p.fileSystem)},
                                 {"firstSector", session.Selected.firstSector},
                                 {"lastSector", session.Selected.lastSector},
                                 {"how", how}};
        for (const auto& [key, value] : fields) {
            object[key] = value;
        }
        PrintJson(out, object);
        return 0;
    }
    out << fmt::format("Partition - {} ( {} )  sectors {}..{}  ({})\n", partition,
                       FileSystemName(p.fileSystem), session.Selected.firstSector,
                       session.Selected.lastSector, how);
    for (const auto& [key, value] : fields) {
        out << fmt::format("  {:<22} {}\n", key, value);
    }
    return 0;
}

} // namespace quorvane::cli
