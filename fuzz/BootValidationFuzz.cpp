// Boot-sector validation and the calculation fallback over a disk made of the
// input's sectors. The first byte picks the file system.
#include "engine/volume/VolumeCalculation.h"
#include "engine/volume/VolumeValidation.h"
#include "fuzz/FuzzDisk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvane;
    if (size < 2) {
        return 0;
    }
    static constexpr FileSystemKind kSystems[] = {FileSystemKind::Fat16, FileSystemKind::Fat32,
                                                  FileSystemKind::Ntfs, FileSystemKind::Fat12};
    SelectedPartition partition;
    partition.fileSystem = kSystems[data[0] % 4];
    ++data;
    --size;
    // Volumes of up to a few thousand sectors keep Calculate's full read short.
    const std::uint64_t sectors = std::max<std::uint64_t>(1, size / 512) * 8;
    fuzz::WrappingOpener opener(data, size, sectors * 512);
    SkipAllQuestions questions;
    DiskSelection selection;
    SectorReader reader(opener, questions, selection, 64 * 1024);
    ResultTables tables;
    SilentProgress progress;
    VolumeParams params;
    partition.firstSector = 0;
    partition.lastSector = sectors - 1;
    const std::string device = DeviceNameTable::NameOf(0);
    if (!ValidateVolume(reader, device, partition, params, tables, progress)) {
        CalculateVolume(reader, device, partition, params, progress);
    }
    return 0;
}
