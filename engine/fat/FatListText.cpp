#include "engine/fat/FatListText.h"

namespace quorvane {

namespace {

std::string TwoDigits(unsigned value) {
    std::string text = std::to_string(value);
    return value < 10 ? "0" + text : text;
}

} // namespace

FatFileType FatTypeOf(std::string_view name) {
    return FileTypeOf(name, FileTypeTable::Fat);
}

std::string FatDateText(std::uint16_t date) {
    const unsigned day = date & 0x1F;
    const unsigned month = (date >> 5) & 0x0F;
    const unsigned year = 1980 + (date >> 9);
    return TwoDigits(day) + "-" + std::string(MonthName(month)) + "-" + std::to_string(year);
}

std::string FatTimeText(std::uint16_t time) {
    return TwoDigits(time >> 11) + ":" + TwoDigits((time >> 5) & 0x3F);
}

} // namespace quorvane
