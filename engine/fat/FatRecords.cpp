#include "engine/fat/FatRecords.h"

namespace quorvane {

CurrentVolume CurrentVolume::Floppy() {
    CurrentVolume v;
    v.FileSystem = "FAT12";
    v.SPF = 9;
    v.SPC = 1;
    v.RootSectors = 14;
    v.RootStart = 19;
    v.ReserveSectors = 1;
    v.Cluster0Start = 31;
    v.FirstFAT = 1;
    v.SecondFAT = 10;
    return v;
}

CurrentVolume CurrentVolume::FromParams(const VolumeParams& p, const std::string& fileSystem) {
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

namespace {
const std::vector<std::size_t> kNoRecords;

std::uint64_t PairKey(std::uint32_t self, std::uint32_t parent) {
    return (static_cast<std::uint64_t>(self) << 32) | parent;
}

template <typename Map, typename Key>
const std::vector<std::size_t>& Lookup(const Map& map, const Key& key) {
    const auto it = map.find(key);
    return it == map.end() ? kNoRecords : it->second;
}
} // namespace

std::size_t TreeFolderList::Append(TreeFolder folder) {
    const std::size_t index = records_.size();
    byItem_[folder.item].push_back(index);
    byParent_[folder.parentId].push_back(index);
    bySelf_[folder.selfId].push_back(index);
    bySelfParent_.try_emplace(PairKey(folder.selfId, folder.parentId), index);
    records_.push_back(std::move(folder));
    return index;
}

void TreeFolderList::Clear() {
    records_.clear();
    byItem_.clear();
    byParent_.clear();
    bySelf_.clear();
    bySelfParent_.clear();
}

std::size_t TreeFolderList::FirstWithItem(TreeModel::Item item) const {
    const std::vector<std::size_t>& found = WithItem(item);
    return found.empty() ? npos : found.front();
}

const std::vector<std::size_t>& TreeFolderList::WithItem(TreeModel::Item item) const {
    return Lookup(byItem_, item);
}

const std::vector<std::size_t>& TreeFolderList::WithParent(std::uint32_t parent) const {
    return Lookup(byParent_, parent);
}

const std::vector<std::size_t>& TreeFolderList::WithSelf(std::uint32_t self) const {
    return Lookup(bySelf_, self);
}

std::size_t TreeFolderList::FirstWithSelfAndParent(std::uint32_t self, std::uint32_t parent) const {
    const auto it = bySelfParent_.find(PairKey(self, parent));
    return it == bySelfParent_.end() ? npos : it->second;
}

} // namespace quorvane
