#include "engine/volume/VolumeValidation.h"

#include "engine/volume/BootSector.h"

#include <array>

namespace quorvane {

namespace {

using Sector = std::array<std::byte, kSectorSize>;

struct Reader {
    SectorReader& reader;
    const std::string& device;
    Sector Read(std::uint64_t sector) const {
        Sector s{};
        reader.ReadSectors(device, sector, 1, s);
        return s;
    }
    std::uint8_t FirstByte(std::uint64_t sector) const {
        return static_cast<std::uint8_t>(Read(sector)[0]);
    }
};

} // namespace

bool ValidateFat16(SectorReader& sectorReader, const std::string& device, std::uint64_t first,
                   VolumeParams& params) {
    const Reader r{sectorReader, device};
    const Sector bootSector = r.Read(first);
    const ByteView b(bootSector);
    if (!boot::HasSignature(b)) {
        return false;
    }
    const boot::FatFields f = boot::ReadFatFields(b);
    // The second FAT must begin with the media byte.
    if (r.FirstByte(first + f.reservedSectors + f.sectorsPerFat16) != 0xF8) {
        return false;
    }
    // The cluster size is not otherwise checked on FAT16, but 0 would make every
    // later cluster computation divide by zero.
    if (f.sectorsPerCluster == 0) {
        return false;
    }
    params.sectorsPerFat = f.sectorsPerFat16;
    params.sectorsPerCluster = f.sectorsPerCluster;
    params.reservedSectors = f.reservedSectors;
    params.rootSectors = f.rootEntries >> 4;
    params.rootStart = first + f.reservedSectors + 2ull * f.sectorsPerFat16;
    params.firstFat = first + f.reservedSectors;
    params.secondFat = params.firstFat + f.sectorsPerFat16;
    params.cluster0Start = first + f.reservedSectors + params.rootSectors +
                           2ull * f.sectorsPerFat16 - 2ull * f.sectorsPerCluster;
    return true;
}

bool ValidateFat32(SectorReader& sectorReader, const std::string& device, std::uint64_t first,
                   VolumeParams& params) {
    const Reader r{sectorReader, device};
    constexpr std::uint64_t kBackup = 6;
    Sector bootSector = r.Read(first);
    if (!boot::HasSignature(ByteView(bootSector))) {
        bootSector = r.Read(first + kBackup);
        if (!boot::HasSignature(ByteView(bootSector))) {
            return false;
        }
    }
    boot::FatFields f = boot::ReadFatFields(ByteView(bootSector));
    if (r.FirstByte(first + f.reservedSectors + f.sectorsPerFat32) != 0xF8) {
        // The copy in use may be damaged inside: take the geometry from the
        // backup (without a signature test) and look for the second FAT again.
        f = boot::ReadFatFields(ByteView(r.Read(first + kBackup)));
        if (r.FirstByte(first + f.reservedSectors + f.sectorsPerFat32) != 0xF8) {
            return false;
        }
    }
    if (f.sectorsPerCluster == 0) {
        return false; // a zero divisor for every cluster computation
    }
    params.sectorsPerFat = f.sectorsPerFat32;
    params.sectorsPerCluster = f.sectorsPerCluster;
    params.reservedSectors = f.reservedSectors;
    params.rootSectors = 0;
    params.rootStart = f.rootCluster;
    params.firstFat = first + f.reservedSectors;
    params.secondFat = params.firstFat + f.sectorsPerFat32;
    params.cluster0Start =
        first + f.reservedSectors + 2ull * f.sectorsPerFat32 - 2ull * f.sectorsPerCluster;
    return true;
}

namespace {

// Sectors per MFT record from a boot sector, 0 when not 2, 4, 6 or 8.
std::uint64_t MftRecordSectors(const boot::NtfsFields& f, std::uint64_t spc) {
    if (f.clustersPerMftRecord == 0xF6) {
        return 2;
    }
    const std::uint64_t sectors = static_cast<std::uint64_t>(f.clustersPerMftRecord) * spc;
    return (sectors == 2 || sectors == 4 || sectors == 6 || sectors == 8) ? sectors : 0;
}

} // namespace

bool ValidateNtfs(SectorReader& sectorReader, const std::string& device, std::uint64_t first,
                  std::uint64_t last, VolumeParams& params) {
    const Reader r{sectorReader, device};
    // The two copies of the boot sector: at the first and at the last sector.
    std::uint64_t inUse = first;
    Sector bootSector = r.Read(first);
    if (!boot::HasSignature(ByteView(bootSector))) {
        inUse = last;
        bootSector = r.Read(last);
        if (!boot::HasSignature(ByteView(bootSector))) {
            return false;
        }
    }
    auto switchCopy = [&] {
        inUse = inUse == first ? last : first;
        bootSector = r.Read(inUse);
    };

    boot::NtfsFields f = boot::ReadNtfsFields(ByteView(bootSector));
    std::uint64_t spc = 0;
    std::uint64_t recordSectors = 0;
    bool switched = false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        spc = f.sectorsPerCluster;
        if (!boot::IsClusterSize(spc) && !switched) {
            switchCopy();
            switched = true;
            f = boot::ReadNtfsFields(ByteView(bootSector));
            spc = f.sectorsPerCluster;
        }
        if (!boot::IsClusterSize(spc)) {
            return false;
        }
        recordSectors = MftRecordSectors(f, spc);
        if (recordSectors != 0) {
            break;
        }
        if (switched) {
            return false;
        }
        switchCopy();
        switched = true;
        f = boot::ReadNtfsFields(ByteView(bootSector));
    }
    if (recordSectors == 0) {
        return false;
    }

    // A copy whose MFT (or mirror) position does not hold a "FILE" record gets
    // a second chance from the other copy; failing that, the position is 0.
    auto locate = [&](auto clusterOf) -> std::uint64_t {
        std::uint64_t sector = first + spc * clusterOf(f);
        if (ByteView(r.Read(sector)).Matches(0, "FILE")) {
            return sector;
        }
        const std::uint64_t other = inUse == first ? last : first;
        const boot::NtfsFields g = boot::ReadNtfsFields(ByteView(r.Read(other)));
        sector = first + spc * clusterOf(g);
        return ByteView(r.Read(sector)).Matches(0, "FILE") ? sector : 0;
    };
    const std::uint64_t mft = locate([](const boot::NtfsFields& x) { return x.mftCluster; });
    const std::uint64_t mirror =
        locate([](const boot::NtfsFields& x) { return x.mftMirrorCluster; });
    if (mft == 0 && mirror == 0) {
        return false;
    }
    params.sectorsPerCluster = spc;
    params.mftSector = mft;
    params.mftMirrorSector = mirror;
    params.sectorsPerMftRecord = recordSectors;
    params.sectorsPerIndexRecord = f.clustersPerIndexRecord == 0xF4
                                       ? 8
                                       : static_cast<std::uint64_t>(f.clustersPerIndexRecord) * spc;
    params.cluster0Start = first;
    return true;
}

bool ValidateVolume(SectorReader& reader, const std::string& device,
                    const SelectedPartition& partition, VolumeParams& params, ResultTables& tables,
                    ProgressSink& progress) {
    tables.ClearForValidation();
    progress.SetHint("Validating Partition . Please Wait...");
    progress.SetStatus("Validating Partition ...");
    switch (partition.fileSystem) {
    case FileSystemKind::Fat16:
        return ValidateFat16(reader, device, partition.firstSector, params);
    case FileSystemKind::Fat32:
        return ValidateFat32(reader, device, partition.firstSector, params);
    case FileSystemKind::Ntfs:
        return ValidateNtfs(reader, device, partition.firstSector, partition.lastSector, params);
    default:
        return false;
    }
}

} // namespace quorvane
