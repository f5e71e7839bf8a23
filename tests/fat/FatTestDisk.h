#pragma once

#include "engine/session/RecoverySession.h"
#include "platform/MemoryBlockDevice.h"
#include "tests/support/TestSupport.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::test {

// An in-memory disk with a session over it, and writers for FAT structures.
class FatTestDisk {
public:
    explicit FatTestDisk(std::uint64_t sectors) : disk(sectors) {}

    CraftedDisk disk;
    ScriptedQuestions questions;
    platform::MemoryDeviceOpener opener;
    std::unique_ptr<RecoverySession> session;

    // Maps the bytes as disk 0 and makes the session (call after writing).
    RecoverySession& Session() {
        if (!session) {
            opener.Map("\\\\.\\PhysicalDrive0", disk.bytes);
            session = std::make_unique<RecoverySession>(opener, questions);
        }
        return *session;
    }

    // A short entry: name and extension are padded with blanks.
    void Entry(std::uint64_t sector, int index, std::string_view name, std::string_view ext,
               std::uint8_t attr, std::uint32_t cluster, std::uint32_t size = 0,
               std::uint16_t date = 0, std::uint16_t time = 0) {
        const std::size_t o = static_cast<std::size_t>(index) * 32;
        std::string n(name);
        n.resize(8, ' ');
        std::string e(ext);
        e.resize(3, ' ');
        for (std::size_t i = 0; i < 8; ++i) {
            disk.Put8(sector, o + i, static_cast<std::uint8_t>(n[i]));
        }
        for (std::size_t i = 0; i < 3; ++i) {
            disk.Put8(sector, o + 8 + i, static_cast<std::uint8_t>(e[i]));
        }
        disk.Put8(sector, o + 11, attr);
        disk.Put16(sector, o + 20, static_cast<std::uint16_t>(cluster >> 16));
        disk.Put16(sector, o + 22, time);
        disk.Put16(sector, o + 24, date);
        disk.Put16(sector, o + 26, static_cast<std::uint16_t>(cluster & 0xFFFF));
        disk.Put32(sector, o + 28, size);
    }

    // One long-name entry holding units [13*(ordinal-1), 13*ordinal) of `name`
    // (terminated by 0 and padded with 0xFFFF as real systems do).
    void LongEntry(std::uint64_t sector, int index, std::u16string_view name, int ordinal,
                   bool last) {
        static constexpr int kUnits[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
        const std::size_t o = static_cast<std::size_t>(index) * 32;
        disk.Put8(sector, o, static_cast<std::uint8_t>(ordinal | (last ? 0x40 : 0)));
        disk.Put8(sector, o + 11, 0x0F);
        for (int i = 0; i < 13; ++i) {
            const std::size_t at = static_cast<std::size_t>(13 * (ordinal - 1) + i);
            std::uint16_t unit = 0xFFFF;
            if (at < name.size()) {
                unit = name[at];
            } else if (at == name.size()) {
                unit = 0;
            }
            disk.Put16(sector, o + static_cast<std::size_t>(kUnits[i]), unit);
        }
    }

    // The long-name entries of `name` at entries [index, index + n) followed by
    // nothing; returns the index of the short entry that must follow.
    int LongName(std::uint64_t sector, int index, std::u16string_view name) {
        const int n = static_cast<int>((name.size() + 12) / 13);
        for (int k = n; k >= 1; --k) {
            LongEntry(sector, index++, name, k, k == n);
        }
        return index;
    }

    // "." and ".." at the start of a directory sector.
    void DotEntries(std::uint64_t sector, std::uint32_t self, std::uint32_t parent,
                    std::uint16_t date = 0, std::uint16_t time = 0) {
        Entry(sector, 0, ".", "", 0x10, self, 0, date, time);
        Entry(sector, 1, "..", "", 0x10, parent, 0, date, time);
    }

    // FAT16 entry c of the FAT at `fatSector`.
    void Fat16(std::uint64_t fatSector, std::uint32_t c, std::uint16_t value) {
        disk.Put16(fatSector + c / 256, (c % 256) * 2, value);
    }
    void Fat32(std::uint64_t fatSector, std::uint32_t c, std::uint32_t value) {
        disk.Put32(fatSector + c / 128, (c % 128) * 4, value);
    }
    // FAT12 entry c, written nibble-exactly even across a sector boundary.
    void Fat12(std::uint64_t fatSector, std::uint32_t c, std::uint16_t value) {
        const std::size_t o = 3 * c / 2;
        std::byte* base = disk.Sector(fatSector);
        auto b = [&](std::size_t i) -> std::uint8_t { return static_cast<std::uint8_t>(base[i]); };
        if (c % 2 == 0) {
            base[o] = static_cast<std::byte>(value & 0xFF);
            base[o + 1] = static_cast<std::byte>((b(o + 1) & 0xF0) | ((value >> 8) & 0x0F));
        } else {
            base[o] = static_cast<std::byte>((b(o) & 0x0F) | ((value & 0x0F) << 4));
            base[o + 1] = static_cast<std::byte>(value >> 4);
        }
    }
};

// A small FAT16 volume layout: FAT at 1 (SPF 2), second FAT at 3, root region
// at 5 (4 sectors), cluster 2 at sector 9, one sector per cluster.
inline CurrentVolume SmallFat16() {
    CurrentVolume v;
    v.FileSystem = FileSystemKind::Fat16;
    v.SPF = 2;
    v.SPC = 1;
    v.RootSectors = 4;
    v.RootStart = 5;
    v.ReserveSectors = 1;
    v.FirstFAT = 1;
    v.SecondFAT = 3;
    v.Cluster0Start = 7;
    return v;
}

} // namespace quorvane::test
