#pragma once

#include "engine/core/ListModel.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

// The type of a file by the ending of its name (case-sensitive).
struct FatFileType {
    int image = 19;
    std::string_view text = "File";
    std::string_view deletedText = "Deleted File";
};
FatFileType FatTypeOf(std::string_view name);

// "DD-Mon-YYYY" from a FAT date word; the month 0 or above 12 reads "Err".
std::string FatDateText(std::uint16_t date);
// "HH:MM" from a FAT time word.
std::string FatTimeText(std::uint16_t time);

// The columns of MainList in its file-list form.
void SetFileListColumns(ListModel& list);

} // namespace quorvane
