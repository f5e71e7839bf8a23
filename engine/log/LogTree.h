#pragma once

#include "engine/core/FolderTree.h"
#include "engine/core/ResultTables.h"
#include "engine/core/UserInterface.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

namespace quorvane {

// Where each folder row of a log goes in the rebuilt folder tree: the row
// whose item it hangs under, or kTop for "Root".
struct LogTreePlan {
    static constexpr std::size_t kTop = static_cast<std::size_t>(-1);
    std::vector<std::size_t> parentRow;
};

// Works out the tree a log's folder rows were saved from. The rows are the
// records of a built tree in their list order, which is breadth first: the
// top-level folders (parent `rootNumber`, and "Lost") first, then the
// children of the first record, those of the second, and so on. So each row
// goes under the earliest record, not before the one the previous row went
// under, whose number is its parent; a row that repeats one already under
// that record (a folder shown under two items of one number) goes under the
// next such record. A row whose parent is nowhere before it is one the tree
// builder rescued from a ring of parents: it goes under "Lost".
//
// Running a tree builder over the rows instead would add every row under
// every item of its parent's number once more: a folder shown under two
// items would come back four times. Empty when `stop` was requested.
std::optional<LogTreePlan> PlanTreeFromLog(const EntryTableT& table, std::uint32_t rootNumber,
                                           std::stop_token stop = {});

// Builds the folder tree from `table` (folder rows of a log, in record
// order) as `plan` places them, appends their records and empties the
// table. Every folder is marked loaded: its name is the one the log holds,
// and nothing is read from the disk. Returns 1.
int BuildTreeFromLog(FolderTreeState& state, EntryTableT& table, const LogTreePlan& plan,
                     ProgressSink& progress);

} // namespace quorvane
