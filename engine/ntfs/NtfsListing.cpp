#include "engine/ntfs/NtfsListing.h"

#include "engine/core/CellText.h"

namespace quorvane {

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsPerDay = 86'400;
// Days from 1 January 1601 to 1 March of the year 0 in the proleptic Gregorian
// calendar, the epoch of the day-to-date conversion below.
constexpr std::int64_t kDaysFrom0000March = 584'694;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

CivilTime FileTimeToCivil(std::int64_t fileTime) {
    const std::int64_t seconds = FloorDiv(fileTime, kTicksPerSecond);
    const std::int64_t days = FloorDiv(seconds, kSecondsPerDay);
    const std::int64_t secondOfDay = seconds - days * kSecondsPerDay;

    // Days since 0000-03-01 to year, month, day (eras of 400 years).
    const std::int64_t z = days + kDaysFrom0000March;
    const std::int64_t era = FloorDiv(z, 146'097);
    const std::int64_t dayOfEra = z - era * 146'097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153; // 0 = March
    CivilTime t;
    t.day = static_cast<unsigned>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    t.month = static_cast<unsigned>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    t.year = yearOfEra + era * 400 + (t.month <= 2 ? 1 : 0);
    t.hour = static_cast<unsigned>(secondOfDay / 3600);
    t.minute = static_cast<unsigned>(secondOfDay / 60 % 60);
    t.second = static_cast<unsigned>(secondOfDay % 60);
    return t;
}

std::string NtfsDateText(std::int64_t fileTime) {
    const CivilTime t = FileTimeToCivil(fileTime);
    return std::to_string(t.day) + "-" + std::string(MonthName(t.month)) + "-" +
           std::to_string(t.year);
}

std::string NtfsTimeText(std::int64_t fileTime) {
    const CivilTime t = FileTimeToCivil(fileTime);
    return std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second);
}

FileType NtfsTypeOf(std::string_view name) {
    return FileTypeOf(name, FileTypeTable::Ntfs);
}

bool IsListedNtfsFile(const EntryRow& file, std::uint32_t folder) {
    return file.parent == folder && file.self > kLastReservedMftNumber;
}

FileEntry NtfsFileEntry(const EntryRow& file) {
    FileEntry entry;
    entry.name = file.name;
    entry.deleted = file.deleted;
    entry.size = file.size;
    entry.first = file.self;
    entry.parent = file.parent;
    entry.date = file.date;
    entry.sector = file.sector;
    return entry;
}

std::size_t InsertNtfsFileRow(ListModel& list, std::size_t at, const EntryRow& file) {
    const FileType type = NtfsTypeOf(file.name);
    const std::size_t row = list.InsertRow(at, file.name, type.image);
    list.SetCell(row, filelist::kType, file.deleted ? type.deletedText : type.text);
    list.SetCell(row, filelist::kSize, Decimal(file.size));
    list.SetCell(row, filelist::kDate, NtfsDateText(file.date));
    list.SetCell(row, filelist::kTime, NtfsTimeText(file.date));
    list.SetCell(row, filelist::kDebug1, Decimal(file.sector));
    list.SetCell(row, filelist::kDebug2, Decimal(file.parent));
    list.SetCell(row, filelist::kDebug3, Decimal(file.self));
    return row;
}

std::size_t ListNtfsFolder(const EntryTableT& files, ListModel& list, std::size_t firstRow,
                           std::uint32_t folder) {
    std::size_t at = firstRow;
    const std::size_t count = files.RowCount(); // taken once, at the start
    for (std::size_t i = 0; i < count; ++i) {
        if (IsListedNtfsFile(files[i], folder)) {
            at = InsertNtfsFileRow(list, at, files[i]) + 1;
        }
    }
    return at - firstRow;
}

std::size_t ListNtfsFolder(const EntryTableT& files, std::span<const std::size_t> rows,
                           ListModel& list, std::size_t firstRow, std::uint32_t folder) {
    std::size_t at = firstRow;
    for (const std::size_t i : rows) {
        if (i < files.RowCount() && IsListedNtfsFile(files[i], folder)) {
            at = InsertNtfsFileRow(list, at, files[i]) + 1;
        }
    }
    return at - firstRow;
}

} // namespace quorvane
