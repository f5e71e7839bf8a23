#pragma once

#include "engine/core/FileSystemKind.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

// Row types of the hidden result tables. Sector numbers are kept in 64 bits;
// below 2^32 their text is the same as the 32-bit decimal form. A numeric cell
// that its writer leaves unset reads "0", which every reader converts to the
// same 0 as an empty cell.

// EntryTable (directories) and EntryTable2 (files).
struct EntryRow {
    static constexpr std::array<std::string_view, 11> kHeaders = {
        "Name", "sector", "self",  "parent", "date",   "time",
        "size", "attr",   "sysID", "Type",   "Deleted"};

    std::string name;
    std::uint64_t sector = 0;
    std::uint32_t self = 0;
    std::uint32_t parent = 0;
    std::int64_t date = 0; // FAT: the raw date word; NTFS: the raw time stamp
    std::uint32_t time = 0;
    std::uint64_t size = 0;
    std::uint32_t attr = 0;
    std::uint32_t sysId = 0;
    std::string type; // "FOLDER" or "FILE"
    bool deleted = false;

    std::string Cell(std::size_t column) const;
    void SetCell(std::size_t column, std::string_view text);
};

// LostDirTable: directory starts found by the sector scan. Column 5 holds the
// FAT time word, or the folder's name in an NTFS pass (then `name` is set).
struct LostDirRow {
    static constexpr std::array<std::string_view, 7> kHeaders = {
        "Sector", "Self Cluster", "Parent Cluster", "File System", "Date", "Time", "First Run"};

    std::uint64_t sector = 0;
    std::uint32_t self = 0;
    std::uint32_t parent = 0;
    std::uint32_t fileSystem = 0; // 1-based row of BootTable2; 0 not assigned
    std::int64_t date = 0;
    std::uint32_t time = 0;
    std::string name;
    std::uint64_t firstRun = 0;

    std::string Cell(std::size_t column) const;
    void SetCell(std::size_t column, std::string_view text);
};

// BootTable (boot sectors found) and BootTable2 (file systems accepted). The
// members are named after the FAT meaning of each column; NTFS rows reuse the
// columns as their writers document.
struct BootRow {
    static constexpr std::array<std::string_view, 11> kHeaders = {
        "Sector",        "SPF",      "SPC",       "Root Sectors", "Root Start", "Reserve Sectors",
        "Cluster0Start", "firstFAT", "secondFAT", "TotalSectors", "PartType"};

    std::uint64_t sector = 0;
    std::uint64_t spf = 0;
    std::uint64_t spc = 0;
    std::uint64_t rootSectors = 0;
    std::uint64_t rootStart = 0;
    std::uint64_t reserveSectors = 0;
    std::uint64_t cluster0Start = 0;
    std::uint64_t firstFat = 0;
    std::uint64_t secondFat = 0;
    std::uint64_t totalSectors = 0;
    FileSystemKind partType = FileSystemKind::None; // the cell holds its name

    std::string Cell(std::size_t column) const;
    void SetCell(std::size_t column, std::string_view text);
};

// MftRecordTable: index records found by the scan.
struct MftRecordRow {
    static constexpr std::array<std::string_view, 4> kHeaders = {"sector", "mftReference", "vcn",
                                                                 "fsNumber"};
    static constexpr std::uint32_t kUnassigned = 4294967295u;

    std::uint64_t sector = 0;
    std::uint32_t mftReference = 0;
    std::uint32_t vcn = 0;
    std::uint32_t fsNumber = kUnassigned;

    std::string Cell(std::size_t column) const;
    void SetCell(std::size_t column, std::string_view text);
};

// MftEntryTable: MFT "FILE" records found by the scan.
struct MftEntryRow {
    static constexpr std::array<std::string_view, 10> kHeaders = {
        "name", "Sector",   "parentMFT", "selfMFT",   "size",
        "type", "fsNumber", "date",      "First Run", "Deleted"};

    std::string name;
    std::uint64_t sector = 0;
    std::uint32_t parentMft = 0;
    std::uint32_t selfMft = 0;
    std::uint64_t size = 0;
    std::string type; // "FOLDER" or "File"
    std::uint32_t fsNumber = 0;
    std::int64_t date = 0;
    std::uint64_t firstRun = 0;
    bool deleted = false;

    std::string Cell(std::size_t column) const;
    void SetCell(std::size_t column, std::string_view text);
};

} // namespace quorvane
