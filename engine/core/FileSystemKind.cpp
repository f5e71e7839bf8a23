#include "engine/core/FileSystemKind.h"

#include <array>
#include <utility>

namespace quorvane {

namespace {

constexpr std::array<std::pair<FileSystemKind, std::string_view>, 4> kNames = {{
    {FileSystemKind::Fat12, "FAT12"},
    {FileSystemKind::Fat16, "FAT16"},
    {FileSystemKind::Fat32, "FAT32"},
    {FileSystemKind::Ntfs, "NTFS"},
}};

} // namespace

std::string_view FileSystemName(FileSystemKind kind) {
    for (const auto& [k, name] : kNames) {
        if (k == kind) {
            return name;
        }
    }
    return {};
}

FileSystemKind FileSystemFromName(std::string_view name) {
    for (const auto& [k, text] : kNames) {
        if (text == name) {
            return k;
        }
    }
    return FileSystemKind::None;
}

} // namespace quorvane
