#include "engine/log/LogTree.h"

#include "engine/core/CellText.h"
#include "engine/core/PercentProgress.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace quorvane {

namespace {

// How many records of a parent's number a row may be tried under before it
// is taken as rescued; the tree builders show one row at most this often.
constexpr std::size_t kMaxCandidates = 16;
// How far up the tree a record's ancestors are compared with a row's number.
// Parents always come before their children, so the tree has no rings; the
// check only mirrors the builder's refusal to add a folder under itself.
constexpr std::size_t kMaxAncestorSteps = 1024;
constexpr std::size_t kRowsPerCheck = 4096;

// Everything a log stores of a row: two rows with the same key are the same
// folder as far as the log can tell.
std::string RowKey(const EntryRow& row) {
    std::string key = row.name;
    key += '\0';
    key += Decimal(row.self) + ':' + Decimal(row.parent) + ':' + Decimal64(row.date) + ':' +
           Decimal(row.time) + ':' + (row.deleted ? '1' : '0');
    return key;
}

bool AtTopLevel(const EntryRow& row, std::uint32_t rootNumber) {
    // "Lost" may keep its own number as its parent (the NTFS builder shows it
    // under "Root" whatever its parent cell says).
    return row.parent == rootNumber ||
           (row.self == kLostFolderNumber && row.parent == kLostFolderNumber);
}

} // namespace

std::optional<LogTreePlan> PlanTreeFromLog(const EntryTableT& table, std::uint32_t rootNumber,
                                           std::stop_token stop) {
    const std::size_t n = table.RowCount();
    LogTreePlan plan;
    plan.parentRow.assign(n, LogTreePlan::kTop);
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> placed; // by own number
    std::size_t lost = LogTreePlan::kTop;
    const auto place = [&](std::size_t i) {
        placed[table[i].self].push_back(i);
        if (lost == LogTreePlan::kTop && table[i].self == kLostFolderNumber) {
            lost = i;
        }
    };
    const auto onAncestorPath = [&](std::size_t record, std::uint32_t self) {
        if (placed.find(self) == placed.end()) {
            return false;
        }
        std::size_t r = record;
        for (std::size_t steps = 0; r != LogTreePlan::kTop && steps < kMaxAncestorSteps; ++steps) {
            if (table[r].self == self) {
                return true;
            }
            r = plan.parentRow[r];
        }
        return false;
    };

    std::size_t i = 0;
    for (; i < n && AtTopLevel(table[i], rootNumber); ++i) {
        place(i);
    }
    std::size_t owner = 0; // the record whose children are being placed
    std::unordered_set<std::string> ownerRows;
    for (; i < n; ++i) {
        if (i % kRowsPerCheck == 0 && stop.stop_requested()) {
            return std::nullopt;
        }
        const EntryRow& row = table[i];
        std::size_t chosen = LogTreePlan::kTop;
        std::string key;
        if (const auto it = placed.find(row.parent); it != placed.end()) {
            const std::vector<std::size_t>& records = it->second;
            auto c = std::lower_bound(records.begin(), records.end(), owner);
            for (std::size_t tries = 0; c != records.end() && tries < kMaxCandidates;
                 ++c, ++tries) {
                if (*c == owner) {
                    if (key.empty()) {
                        key = RowKey(row);
                    }
                    if (ownerRows.count(key) != 0) {
                        continue; // a second copy: it belongs to the next record
                    }
                }
                if (!onAncestorPath(*c, row.self)) {
                    chosen = *c;
                    break;
                }
            }
        }
        if (chosen != LogTreePlan::kTop) {
            if (chosen != owner) {
                owner = chosen;
                ownerRows.clear();
            }
            ownerRows.insert(key.empty() ? RowKey(row) : key);
        } else if (!AtTopLevel(row, rootNumber)) {
            chosen = lost; // rescued from a ring; "Root" when there is no "Lost"
        }
        plan.parentRow[i] = chosen;
        place(i);
    }
    return plan;
}

int BuildTreeFromLog(FolderTreeState& state, EntryTableT& table, const LogTreePlan& plan,
                     ProgressSink& progress) {
    const TreeModel::Item root = EnsureRootItem(state);
    TreeFolderList& folders = state.TreeFolders;
    const std::size_t base = folders.Count();
    const std::size_t n = std::min(table.RowCount(), plan.parentRow.size());
    folders.Reserve(base + n);
    PercentProgress percent(progress);
    percent.Force(0);
    for (std::size_t i = 0; i < n; ++i) {
        const EntryRow& row = table[i];
        const std::size_t p = plan.parentRow[i];
        const bool top = p == LogTreePlan::kTop || p >= i;
        const std::size_t parentRecord = top ? TreeFolderList::npos : base + p;
        const TreeModel::Item parentItem = top ? root : folders[parentRecord].item;
        AddTreeFolder(state, parentItem, row.name, row.self, row.parent, row.date, row.time,
                      row.deleted, parentRecord);
        folders[folders.Count() - 1].loaded = true;
        percent.Report(i + 1, n);
    }
    state.FolderTree.Expand(root);
    state.FolderTree.SetText(root, "Root");
    percent.Force(100);
    table.DeleteAll();
    return 1;
}

} // namespace quorvane
