#include "engine/fat/FatFolderSource.h"

#include "engine/fat/FatDirectory.h"
#include "engine/fat/FatListText.h"

namespace quorvane {

std::uint32_t FatFolderSource::RootNumber() const {
    return kFatRootNumber;
}

std::string FatFolderSource::FolderDateText(const TreeFolder& folder) const {
    return FatDateText(static_cast<std::uint16_t>(folder.date));
}

std::string FatFolderSource::FolderTimeText(const TreeFolder& folder) const {
    return FatTimeText(static_cast<std::uint16_t>(folder.time));
}

std::size_t FatFolderSource::ListFiles(ListModel& list, std::uint32_t number, bool folderDeleted) {
    return ListFatDirectory(View(), list, list.RowCount(), number, folderDeleted);
}

void FatFolderSource::LoadFolder(FolderTreeState& state, std::size_t record) {
    LoadFatFolder(View(), state, record);
}

} // namespace quorvane
