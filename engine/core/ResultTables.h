#pragma once

#include "engine/core/ListModel.h"
#include "engine/core/ResultTable.h"
#include "engine/core/TableRows.h"

namespace quorvane {

using EntryTableT = ResultTable<EntryRow>;
using LostDirTableT = ResultTable<LostDirRow>;
using BootTableT = ResultTable<BootRow>;
using MftRecordTableT = ResultTable<MftRecordRow>;
using MftEntryTableT = ResultTable<MftEntryRow>;

// The seven hidden tables and the three visible lists of one recovery session.
struct ResultTables {
    EntryTableT EntryTable;
    EntryTableT EntryTable2;
    LostDirTableT LostDirTable;
    BootTableT BootTable;
    BootTableT BootTable2;
    MftRecordTableT MftRecordTable;
    MftEntryTableT MftEntryTable;

    ListModel MainList;
    ListModel FileTypeList;
    ListModel RawResultList;

    ResultTables();

    // What starting a validation empties (BootTable and BootTable2 survive).
    void ClearForValidation();
    // Going back from the search step to the partition step empties all seven.
    void ClearAllHidden();
};

} // namespace quorvane
