#pragma once

#include "engine/core/FileSystemKind.h"
#include "engine/core/VolumeRecords.h"

#include <cstdint>

namespace quorvane {

// The geometry of the volume being browsed or saved from, FAT or NTFS. Sector
// numbers are absolute sectors of the disk; cluster c begins at
// Cluster0Start + c * SPC.
struct CurrentVolume {
    FileSystemKind FileSystem = FileSystemKind::None;
    std::uint64_t SPF = 0;
    std::uint64_t SPC = 0;
    std::uint64_t RootSectors = 0; // FAT12/16: fixed root region length; FAT32: 0
    std::uint64_t RootStart = 0;   // FAT12/16: first root sector; FAT32: root cluster
    std::uint64_t ReserveSectors = 0;
    std::uint64_t Cluster0Start = 0;
    std::uint64_t FirstFAT = 0; // the FAT copy chains are read from
    std::uint64_t SecondFAT = 0;
    // The first sector after the volume, and the number of its data clusters
    // (numbered 2 .. ClusterCount + 1). 0 when the end is not known; then only
    // the end of the disk bounds the volume. Set both with SetEnd.
    std::uint64_t EndSector = 0;
    std::uint64_t ClusterCount = 0;
    // NTFS only; the FAT engine never reads them.
    std::uint64_t MftSector = 0;
    std::uint64_t MftMirrorSector = 0;
    std::uint64_t SectorsPerMftRecord = 0;
    std::uint64_t SectorsPerIndexRecord = 0;

    // The fixed geometry of a 1.44 MB floppy (2880 sectors).
    static CurrentVolume Floppy();
    // The geometry of a validated (or calculated) partition that ends before
    // sector `endSector` (0: not known).
    static CurrentVolume FromParams(const VolumeParams& params, FileSystemKind fileSystem,
                                    std::uint64_t endSector);
    void ToParams(VolumeParams& params) const;

    // Sets EndSector and ClusterCount from the volume's end. An end that
    // leaves no whole data cluster after Cluster0Start (a garbage size field,
    // or SPC still 0) is taken as not known rather than as an empty volume.
    void SetEnd(std::uint64_t endSector);
    // The first cluster number past the volume; 0 when the end is not known.
    std::uint64_t ClusterLimit() const { return ClusterCount == 0 ? 0 : ClusterCount + 2; }
    // False for a cluster past the volume's end (never when the end is unknown).
    bool HoldsCluster(std::uint64_t cluster) const {
        return ClusterCount == 0 || cluster < ClusterCount + 2;
    }
};

} // namespace quorvane
