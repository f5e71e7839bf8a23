#pragma once

#include "engine/core/FileEntry.h"
#include "engine/core/FileListText.h"
#include "engine/core/ListModel.h"
#include "engine/core/ResultTables.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quorvane {

// An NTFS time stamp (100-ns units since 1 January 1601) as a UTC calendar
// time. Every 64-bit value has one: values before 1601 count backwards.
struct CivilTime {
    std::int64_t year = 1601;
    unsigned month = 1; // 1-12
    unsigned day = 1;
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
};
CivilTime FileTimeToCivil(std::int64_t fileTime);

// "5-Mar-2007" and "9:5:0": plain decimal, no leading zeros, UTC.
std::string NtfsDateText(std::int64_t fileTime);
std::string NtfsTimeText(std::int64_t fileTime);

FileType NtfsTypeOf(std::string_view name);

// Numbers 0 to 19 are the metafiles and reserved records; 0 also marks a file
// whose number is not assigned yet. Neither is listed.
inline constexpr std::uint32_t kLastReservedMftNumber = 19;

// A row of EntryTable2 is listed in `folder` when its parent is the folder and
// its own number is above 19.
bool IsListedNtfsFile(const EntryRow& file, std::uint32_t folder);

// The typed entry of one EntryTable2 row: `first` is the file's own MFT number.
FileEntry NtfsFileEntry(const EntryRow& file);

// Inserts the file-list row of one EntryTable2 row at `at`: 0 name with the
// type's image, 1 type text (the deleted one for a deleted file), 2 size,
// 3 date, 4 time, 5 the record's sector, 6 parent, 7 own number.
std::size_t InsertNtfsFileRow(ListModel& list, std::size_t at, const EntryRow& file);

// Lists the files of `folder` (the root is 5) from EntryTable2 into `list` at
// firstRow, firstRow + 1, ...; returns how many rows were added. The whole
// table is read once; callers that list many folders can pick the rows of
// each folder themselves and use the overload below.
std::size_t ListNtfsFolder(const EntryTableT& files, ListModel& list, std::size_t firstRow,
                           std::uint32_t folder);
// The same for the given rows of `files`, in the order given.
std::size_t ListNtfsFolder(const EntryTableT& files, std::span<const std::size_t> rows,
                           ListModel& list, std::size_t firstRow, std::uint32_t folder);

} // namespace quorvane
