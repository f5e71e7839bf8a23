#include "engine/fat/FatListText.h"

#include <array>
#include <initializer_list>

namespace quorvane {

namespace {

struct TypeRow {
    std::initializer_list<std::string_view> endings;
    FatFileType type;
};

const std::array<TypeRow, 15> kTypes = {{
    {{".DOC", ".doc"}, {4, "Microsoft Word File", "Deleted Word File"}},
    {{".PPT", ".ppt"}, {5, "Microsoft Power Point File", "Deleted Power Point File"}},
    {{".XLS", ".xls"}, {3, "Microsoft Excel File", "Deleted Excel File"}},
    {{".PDF", ".pdf"}, {15, "PDF file", "Deleted PDF file"}},
    {{".EXE", ".exe"}, {7, "Executable file", "Deleted Executable file"}},
    {{".TTF", ".ttf", ".FON", ".fon"}, {8, "Font file", "Deleted Font file"}},
    {{".ZIP", ".zip", ".RAR", ".rar"}, {2, "Winzip File", "Deleted Winzip File"}},
    {{".htm", "HTML", "html"}, {12, "Internet file", "Deleted Internet file"}},
    {{".chm", ".CHM"}, {13, "Help File", "Deleted Help File"}},
    {{".REG", ".reg"}, {16, "Registry file", "Deleted Registry file"}},
    {{".WAV", ".wav", ".AU", ".au"}, {17, "Sound file", "Deleted Sound file"}},
    {{".AVI", ".avi"}, {18, "Video File", "Deleted Video File"}},
    {{".CPP", ".cpp"}, {9, "C++ file", "Deleted C++ file"}},
    {{".H", ".h"}, {11, "Header file", "Deleted Header file"}},
    {{".TXT", ".txt", ".LOG", ".log"}, {20, "Text file", "Deleted Text file"}},
}};

constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string TwoDigits(unsigned value) {
    std::string text = std::to_string(value);
    return value < 10 ? "0" + text : text;
}

} // namespace

FatFileType FatTypeOf(std::string_view name) {
    for (const TypeRow& row : kTypes) {
        for (const std::string_view ending : row.endings) {
            if (name.size() >= ending.size() &&
                name.substr(name.size() - ending.size()) == ending) {
                return row.type;
            }
        }
    }
    return FatFileType{};
}

std::string FatDateText(std::uint16_t date) {
    const unsigned day = date & 0x1F;
    const unsigned month = (date >> 5) & 0x0F;
    const unsigned year = 1980 + (date >> 9);
    const std::string_view monthName = month >= 1 && month <= 12 ? kMonths[month - 1] : "Err";
    return TwoDigits(day) + "-" + std::string(monthName) + "-" + std::to_string(year);
}

std::string FatTimeText(std::uint16_t time) {
    return TwoDigits(time >> 11) + ":" + TwoDigits((time >> 5) & 0x3F);
}

void SetFileListColumns(ListModel& list) {
    list.SetColumns({{"Name", 150},
                     {"Type", 100},
                     {"Size", 70},
                     {"Date", 100},
                     {"Time", 70},
                     {"Debug Info 1", 0},
                     {"Debug Info 2", 0},
                     {"Debug Info 3", 0}});
}

} // namespace quorvane
