#pragma once

#include "engine/core/FileListText.h"
#include "engine/core/ListModel.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

// The type of a file by the ending of its name (case-sensitive).
using FatFileType = FileType;
FatFileType FatTypeOf(std::string_view name);

// "DD-Mon-YYYY" from a FAT date word; the month 0 or above 12 reads "Err".
std::string FatDateText(std::uint16_t date);
// "HH:MM" from a FAT time word.
std::string FatTimeText(std::uint16_t time);

} // namespace quorvane
