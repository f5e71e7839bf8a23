#pragma once

#include "engine/core/CurrentVolume.h"
#include "engine/core/FolderSource.h"
#include "engine/disk/DiskAccess.h"
#include "engine/fat/FatRecords.h"

namespace quorvane {

// The FAT engine as the folder browser sees it: folders are read from the
// current volume's directories through its FAT (and the FAT cache).
class FatFolderSource final : public FolderSource {
public:
    FatFolderSource(DiskAccess& disk, const CurrentVolume& volume, FatCache& cache)
        : disk_(disk), volume_(volume), cache_(cache) {}

    // The view the chain and directory code reads through.
    FatVolumeView View() const { return {disk_.Reader, disk_.Device(), volume_, cache_}; }

    std::uint32_t RootNumber() const override;
    std::string FolderDateText(const TreeFolder& folder) const override;
    std::string FolderTimeText(const TreeFolder& folder) const override;
    std::size_t ListFiles(ListModel& list, std::uint32_t number, bool folderDeleted) override;
    void LoadFolder(FolderTreeState& state, std::size_t record) override;

private:
    DiskAccess& disk_;
    const CurrentVolume& volume_;
    FatCache& cache_;
};

} // namespace quorvane
