#include "engine/core/CurrentVolume.h"

namespace quorvane {

namespace {
constexpr std::uint64_t kFloppySectors = 2880;
} // namespace

CurrentVolume CurrentVolume::Floppy() {
    CurrentVolume v;
    v.FileSystem = FileSystemKind::Fat12;
    v.SPF = 9;
    v.SPC = 1;
    v.RootSectors = 14;
    v.RootStart = 19;
    v.ReserveSectors = 1;
    v.Cluster0Start = 31;
    v.FirstFAT = 1;
    v.SecondFAT = 10;
    v.SetEnd(kFloppySectors);
    return v;
}

CurrentVolume CurrentVolume::FromParams(const VolumeParams& p, FileSystemKind fileSystem,
                                        std::uint64_t endSector) {
    CurrentVolume v;
    v.FileSystem = fileSystem;
    v.SPF = p.sectorsPerFat;
    v.SPC = p.sectorsPerCluster;
    v.RootSectors = p.rootSectors;
    v.RootStart = p.rootStart;
    v.ReserveSectors = p.reservedSectors;
    v.Cluster0Start = p.cluster0Start;
    v.FirstFAT = p.firstFat;
    v.SecondFAT = p.secondFat;
    v.MftSector = p.mftSector;
    v.MftMirrorSector = p.mftMirrorSector;
    v.SectorsPerMftRecord = p.sectorsPerMftRecord;
    v.SectorsPerIndexRecord = p.sectorsPerIndexRecord;
    v.SetEnd(endSector);
    return v;
}

void CurrentVolume::ToParams(VolumeParams& p) const {
    p.sectorsPerFat = SPF;
    p.sectorsPerCluster = SPC;
    p.rootSectors = RootSectors;
    p.rootStart = RootStart;
    p.reservedSectors = ReserveSectors;
    p.cluster0Start = Cluster0Start;
    p.firstFat = FirstFAT;
    p.secondFat = SecondFAT;
}

void CurrentVolume::SetEnd(std::uint64_t endSector) {
    EndSector = 0;
    ClusterCount = 0;
    if (SPC == 0 || endSector <= Cluster0Start) {
        return;
    }
    const std::uint64_t slots = (endSector - Cluster0Start) / SPC; // clusters 0 .. slots - 1
    if (slots <= 2) {
        return;
    }
    EndSector = endSector;
    ClusterCount = slots - 2;
}

} // namespace quorvane
