#pragma once

#include "engine/core/ListModel.h"

#include <string_view>

namespace quorvane {

// The type of a file by the ending of its name, as the file list shows it.
struct FileType {
    int image = 19;
    std::string_view text = "File";
    std::string_view deletedText = "Deleted File";
};

// The FAT and NTFS listings use one table; on NTFS the font row carries image 9
// instead of 8. Endings are compared case-sensitively, each over its own length
// (".WAV" with the last four characters, ".AU" with the last three); the first
// row that matches decides.
enum class FileTypeTable { Fat, Ntfs };
FileType FileTypeOf(std::string_view name, FileTypeTable table);

// "Jan" ... "Dec" for the months 1 to 12, "Err" for any other value.
std::string_view MonthName(unsigned month);

// The columns of MainList in its file-list form.
void SetFileListColumns(ListModel& list);

} // namespace quorvane
