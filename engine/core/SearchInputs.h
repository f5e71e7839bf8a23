#pragma once

#include "engine/core/FileSystemKind.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

// The wizard's search modes, with the numbers the wizard gives them.
enum class SearchMode : int { None = -1, Standard = 1, Professional = 2, RawRecovery = 3 };

// The search-mode text the summaries and the recovery log show: "Standard",
// "Professional Search" or "Raw Recovery Mode"; empty for None.
constexpr std::string_view SearchModeText(SearchMode mode) {
    switch (mode) {
    case SearchMode::Standard:
        return "Standard";
    case SearchMode::Professional:
        return "Professional Search";
    case SearchMode::RawRecovery:
        return "Raw Recovery Mode";
    case SearchMode::None:
        break;
    }
    return {};
}

// What the wizard decides before a search starts (FAT, NTFS or raw).
struct SearchInputs {
    SearchMode Mode = SearchMode::None;
    // The search-mode text copied when the search starts, or restored from a
    // recovery log; empty until then (the log then stores SearchModeText(Mode)).
    std::string ModeText;
    std::uint64_t RangeStart = 0;    // first sector of the search range
    std::uint64_t RangeEnd = 0;      // first sector after the search range
    bool VolumeParamsFilled = false; // the validation filled VolumeParams
    bool Floppy = false;             // the disk is the 1.44 MB floppy
    // Professional: the file system chosen, a 1-based row of BootTable2, and its type.
    std::uint32_t ChosenFileSystem = 0;
    FileSystemKind ChosenFileSystemType = FileSystemKind::None;
};

} // namespace quorvane
