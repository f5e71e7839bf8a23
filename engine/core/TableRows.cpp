#include "engine/core/TableRows.h"

#include "engine/core/CellAccess.h"

namespace quorvane {

namespace {

const std::array<ColumnMember<EntryRow>, 11> kEntryColumns = {
    &EntryRow::name,  &EntryRow::sector, &EntryRow::self,   &EntryRow::parent,
    &EntryRow::date,  &EntryRow::time,   &EntryRow::size,   &EntryRow::attr,
    &EntryRow::sysId, &EntryRow::type,   &EntryRow::deleted};

// Column 5 is handled by LostDirRow itself (a time word or a folder name).
const std::array<ColumnMember<LostDirRow>, 7> kLostDirColumns = {
    &LostDirRow::sector, &LostDirRow::self, &LostDirRow::parent,  &LostDirRow::fileSystem,
    &LostDirRow::date,   &LostDirRow::time, &LostDirRow::firstRun};

const std::array<ColumnMember<BootRow>, 11> kBootColumns = {
    &BootRow::sector,        &BootRow::spf,       &BootRow::spc,
    &BootRow::rootSectors,   &BootRow::rootStart, &BootRow::reserveSectors,
    &BootRow::cluster0Start, &BootRow::firstFat,  &BootRow::secondFat,
    &BootRow::totalSectors,  &BootRow::partType};

const std::array<ColumnMember<MftRecordRow>, 4> kMftRecordColumns = {
    &MftRecordRow::sector, &MftRecordRow::mftReference, &MftRecordRow::vcn,
    &MftRecordRow::fsNumber};

const std::array<ColumnMember<MftEntryRow>, 10> kMftEntryColumns = {
    &MftEntryRow::name,     &MftEntryRow::sector, &MftEntryRow::parentMft, &MftEntryRow::selfMft,
    &MftEntryRow::size,     &MftEntryRow::type,   &MftEntryRow::fsNumber,  &MftEntryRow::date,
    &MftEntryRow::firstRun, &MftEntryRow::deleted};

bool AllDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

std::string EntryRow::Cell(std::size_t column) const {
    return CellOf(*this, kEntryColumns, column);
}
void EntryRow::SetCell(std::size_t column, std::string_view text) {
    SetCellOf(*this, kEntryColumns, column, text);
}

std::string LostDirRow::Cell(std::size_t column) const {
    if (column == 5 && !name.empty()) {
        return name;
    }
    return CellOf(*this, kLostDirColumns, column);
}
void LostDirRow::SetCell(std::size_t column, std::string_view text) {
    if (column == 5) {
        // A time word is all digits; anything else is an NTFS folder name.
        if (AllDigits(text)) {
            time = static_cast<std::uint32_t>(ParseDecimal(text));
            name.clear();
        } else {
            name = text;
        }
        return;
    }
    SetCellOf(*this, kLostDirColumns, column, text);
}

std::string BootRow::Cell(std::size_t column) const {
    return CellOf(*this, kBootColumns, column);
}
void BootRow::SetCell(std::size_t column, std::string_view text) {
    SetCellOf(*this, kBootColumns, column, text);
}

std::string MftRecordRow::Cell(std::size_t column) const {
    return CellOf(*this, kMftRecordColumns, column);
}
void MftRecordRow::SetCell(std::size_t column, std::string_view text) {
    SetCellOf(*this, kMftRecordColumns, column, text);
}

std::string MftEntryRow::Cell(std::size_t column) const {
    return CellOf(*this, kMftEntryColumns, column);
}
void MftEntryRow::SetCell(std::size_t column, std::string_view text) {
    SetCellOf(*this, kMftEntryColumns, column, text);
}

} // namespace quorvane
