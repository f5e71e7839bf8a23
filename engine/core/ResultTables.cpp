#include "engine/core/ResultTables.h"

namespace quorvane {

ResultTables::ResultTables() {
    MainList.SetColumns({{"Disk Details", 395}});
    FileTypeList.SetColumns({{"File Types", 260}});
    for (const char* row : {"Microsoft Word File(s) (.DOC)", "Microsoft Excel File(s) (.XLS)",
                            "Microsoft PowerPoint File(s) (.PPT)", "Compressed File(s) (.Zip)"}) {
        FileTypeList.AppendRow(row);
    }
    RawResultList.SetColumns({{" Files Recovered", 440}});
}

void ResultTables::ClearForValidation() {
    EntryTable.DeleteAll();
    EntryTable2.DeleteAll();
    LostDirTable.DeleteAll();
    MftRecordTable.DeleteAll();
    MftEntryTable.DeleteAll();
}

void ResultTables::ClearAllHidden() {
    ClearForValidation();
    BootTable.DeleteAll();
    BootTable2.DeleteAll();
}

} // namespace quorvane
