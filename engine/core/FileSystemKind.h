#pragma once

#include <cstdint>
#include <string_view>

namespace quorvane {

// The file systems the engine knows. Inside the engine they are compared as
// this enum; their names ("FAT12", "FAT16", "FAT32", "NTFS") are what the
// user sees and what tables and the command line's JSON hold, produced and
// read only by the two functions below.
enum class FileSystemKind : std::uint8_t { None, Fat12, Fat16, Fat32, Ntfs };

// "FAT12", "FAT16", "FAT32", "NTFS"; empty for None.
std::string_view FileSystemName(FileSystemKind kind);
// The kind whose name is exactly `name` (case-sensitive); None for any other text.
FileSystemKind FileSystemFromName(std::string_view name);

constexpr bool IsFat(FileSystemKind kind) {
    return kind == FileSystemKind::Fat12 || kind == FileSystemKind::Fat16 ||
           kind == FileSystemKind::Fat32;
}

} // namespace quorvane
