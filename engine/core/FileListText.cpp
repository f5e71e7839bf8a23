#include "engine/core/FileListText.h"

#include <array>
#include <initializer_list>

namespace quorvane {

namespace {

struct TypeRow {
    std::initializer_list<std::string_view> endings;
    FileType type;
};

constexpr std::size_t kFontRow = 5;

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

constexpr int kNtfsFontImage = 9;

constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

} // namespace

FileType FileTypeOf(std::string_view name, FileTypeTable table) {
    for (std::size_t row = 0; row < kTypes.size(); ++row) {
        for (const std::string_view ending : kTypes[row].endings) {
            if (name.size() >= ending.size() &&
                name.substr(name.size() - ending.size()) == ending) {
                FileType type = kTypes[row].type;
                if (row == kFontRow && table == FileTypeTable::Ntfs) {
                    type.image = kNtfsFontImage;
                }
                return type;
            }
        }
    }
    return FileType{};
}

std::string_view MonthName(unsigned month) {
    return month >= 1 && month <= 12 ? kMonths[month - 1] : "Err";
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
