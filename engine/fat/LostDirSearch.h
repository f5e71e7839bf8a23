#pragma once

#include "engine/core/ByteView.h"
#include "engine/core/UserInterface.h"

#include <cstdint>
#include <stop_token>

namespace quorvane {

struct RecoverySession;

// Captions of the found-counters.
inline constexpr std::string_view kDirectoriesFound = "Directories Found";
inline constexpr std::string_view kBootSectorsFound = "Boot Sectors Found";

// A sector whose first two entries are "." and "..".
bool IsFolderStart(ByteView sector);
// A FAT16 or FAT32 boot sector; the type text, or empty.
std::string_view FatBootSectorType(ByteView sector);

// The Standard search: the data area of the selected partition, cluster by
// cluster up to Fat.Search.RangeEnd, for directory clusters whose "." entry
// names the cluster they lie in. Fills EntryTable ("Lost" first). Stops at a
// cluster boundary when `stop` is requested, keeping what it found.
void LostDirSearch(RecoverySession& session, ProgressSink& progress, std::stop_token stop = {});

// The Professional search: every sector of the search range, for FAT16/FAT32
// boot sectors (BootTable) and directory starts anywhere (LostDirTable).
void LostDirSearchPro(RecoverySession& session, ProgressSink& progress, std::stop_token stop = {});

} // namespace quorvane
