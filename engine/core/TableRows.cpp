#include "engine/core/TableRows.h"

#include "engine/core/CellText.h"

namespace quorvane {

namespace {
std::uint32_t U32(std::string_view text) {
    return static_cast<std::uint32_t>(ParseDecimal(text));
}
} // namespace

std::string EntryRow::Cell(std::size_t column) const {
    switch (column) {
    case 0:
        return name;
    case 1:
        return Decimal(sector);
    case 2:
        return Decimal(self);
    case 3:
        return Decimal(parent);
    case 4:
        return Decimal64(date);
    case 5:
        return Decimal(time);
    case 6:
        return Decimal(size);
    case 7:
        return Decimal(attr);
    case 8:
        return Decimal(sysId);
    case 9:
        return type;
    case 10:
        return Flag(deleted);
    default:
        return {};
    }
}

void EntryRow::SetCell(std::size_t column, std::string_view text) {
    switch (column) {
    case 0:
        name = text;
        break;
    case 1:
        sector = ParseDecimal(text);
        break;
    case 2:
        self = U32(text);
        break;
    case 3:
        parent = U32(text);
        break;
    case 4:
        date = ParseDecimal64(text);
        break;
    case 5:
        time = U32(text);
        break;
    case 6:
        size = ParseDecimal(text);
        break;
    case 7:
        attr = U32(text);
        break;
    case 8:
        sysId = U32(text);
        break;
    case 9:
        type = text;
        break;
    case 10:
        deleted = ParseFlag(text);
        break;
    default:
        break;
    }
}

std::string LostDirRow::Cell(std::size_t column) const {
    switch (column) {
    case 0:
        return Decimal(sector);
    case 1:
        return Decimal(self);
    case 2:
        return Decimal(parent);
    case 3:
        return Decimal(fileSystem);
    case 4:
        return Decimal64(date);
    case 5:
        return name.empty() ? Decimal(time) : name;
    case 6:
        return Decimal(firstRun);
    default:
        return {};
    }
}

void LostDirRow::SetCell(std::size_t column, std::string_view text) {
    switch (column) {
    case 0:
        sector = ParseDecimal(text);
        break;
    case 1:
        self = U32(text);
        break;
    case 2:
        parent = U32(text);
        break;
    case 3:
        fileSystem = U32(text);
        break;
    case 4:
        date = ParseDecimal64(text);
        break;
    case 5:
        // A time word is all digits; anything else is an NTFS folder name.
        if (!text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos) {
            time = U32(text);
            name.clear();
        } else {
            name = text;
        }
        break;
    case 6:
        firstRun = ParseDecimal(text);
        break;
    default:
        break;
    }
}

std::string BootRow::Cell(std::size_t column) const {
    switch (column) {
    case 0:
        return Decimal(sector);
    case 1:
        return Decimal(spf);
    case 2:
        return Decimal(spc);
    case 3:
        return Decimal(rootSectors);
    case 4:
        return Decimal(rootStart);
    case 5:
        return Decimal(reserveSectors);
    case 6:
        return Decimal(cluster0Start);
    case 7:
        return Decimal(firstFat);
    case 8:
        return Decimal(secondFat);
    case 9:
        return Decimal(totalSectors);
    case 10:
        return partType;
    default:
        return {};
    }
}

void BootRow::SetCell(std::size_t column, std::string_view text) {
    switch (column) {
    case 0:
        sector = ParseDecimal(text);
        break;
    case 1:
        spf = ParseDecimal(text);
        break;
    case 2:
        spc = ParseDecimal(text);
        break;
    case 3:
        rootSectors = ParseDecimal(text);
        break;
    case 4:
        rootStart = ParseDecimal(text);
        break;
    case 5:
        reserveSectors = ParseDecimal(text);
        break;
    case 6:
        cluster0Start = ParseDecimal(text);
        break;
    case 7:
        firstFat = ParseDecimal(text);
        break;
    case 8:
        secondFat = ParseDecimal(text);
        break;
    case 9:
        totalSectors = ParseDecimal(text);
        break;
    case 10:
        partType = text;
        break;
    default:
        break;
    }
}

std::string MftRecordRow::Cell(std::size_t column) const {
    switch (column) {
    case 0:
        return Decimal(sector);
    case 1:
        return Decimal(mftReference);
    case 2:
        return Decimal(vcn);
    case 3:
        return Decimal(fsNumber);
    default:
        return {};
    }
}

void MftRecordRow::SetCell(std::size_t column, std::string_view text) {
    switch (column) {
    case 0:
        sector = ParseDecimal(text);
        break;
    case 1:
        mftReference = U32(text);
        break;
    case 2:
        vcn = U32(text);
        break;
    case 3:
        fsNumber = U32(text);
        break;
    default:
        break;
    }
}

std::string MftEntryRow::Cell(std::size_t column) const {
    switch (column) {
    case 0:
        return name;
    case 1:
        return Decimal(sector);
    case 2:
        return Decimal(parentMft);
    case 3:
        return Decimal(selfMft);
    case 4:
        return Decimal(size);
    case 5:
        return type;
    case 6:
        return Decimal(fsNumber);
    case 7:
        return Decimal64(date);
    case 8:
        return Decimal(firstRun);
    case 9:
        return Flag(deleted);
    default:
        return {};
    }
}

void MftEntryRow::SetCell(std::size_t column, std::string_view text) {
    switch (column) {
    case 0:
        name = text;
        break;
    case 1:
        sector = ParseDecimal(text);
        break;
    case 2:
        parentMft = U32(text);
        break;
    case 3:
        selfMft = U32(text);
        break;
    case 4:
        size = ParseDecimal(text);
        break;
    case 5:
        type = text;
        break;
    case 6:
        fsNumber = U32(text);
        break;
    case 7:
        date = ParseDecimal64(text);
        break;
    case 8:
        firstRun = ParseDecimal(text);
        break;
    case 9:
        deleted = ParseFlag(text);
        break;
    default:
        break;
    }
}

} // namespace quorvane
