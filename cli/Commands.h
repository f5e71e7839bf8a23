#pragma once

#include "cli/CliContext.h"
#include "engine/volume/PartitionSearch.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

namespace quorvane::cli {

struct CommonOptions {
    std::string disk;
    bool json = false;
    BadSectorPolicy badSectors = BadSectorPolicy::Retry;
    bool searched = false; // --partition numbers from search-partitions
};

struct DisksOptions {
    bool json = false;
    std::vector<std::string> images;
    std::string floppy;
};

// The stored geometry search-partitions assumes (0: what the catalogue stores).
struct SearchOptions {
    std::uint64_t cylinders = 0;
    std::uint64_t heads = 0;
    std::uint64_t sectorsPerTrack = 0;
};

// Adds DISK, --json and --on-bad-sector to a command.
void AddCommonOptions(CLI::App& command, CommonOptions& options);

// Each returns the exit status; failures throw CommandError.
int RunPartitions(const CommonOptions& options, std::ostream& out);
int RunVolume(const CommonOptions& options, int partition, std::ostream& out);

// list: the FAT search of one partition (or the floppy) and every folder and file found.
struct ListOptions {
    int partition = 0;
    std::string mode = "standard"; // or "professional"
    std::uint32_t fileSystem = 1;  // Professional: which file system found
    bool floppy = false;
    bool wholeDisk = false; // Professional: search the whole disk, not the partition
    std::string saveLog;    // write the recovery log here after the search
    bool overwriteLog = false;
    std::string loadLog; // rebuild the tree from this log instead of searching
};
int RunList(const CommonOptions& options, const ListOptions& list, std::ostream& out);
// --load-log of list (and of any command that browses a volume): the recovery
// log at `path` loaded into the context's session on a worker, stopped by
// Ctrl-C, instead of a search. Throws CommandError when it was not loaded
// (the engine's message is on stderr by then).
void LoadCliLog(CliContext& context, const std::string& path);
// carve: raw recovery of Word, Excel, PowerPoint and ZIP files by signature.
struct CarveOptions {
    std::string out;
    std::string types = "doc,xls,ppt,zip";
    std::string start; // given: a sector range instead of the whole disk
    std::string end;
    bool exactSize = false;
};
int RunCarve(const CommonOptions& options, const CarveOptions& carve, std::ostream& out);
int RunDisks(const DisksOptions& options, std::ostream& out);
int RunSearchPartitions(const CommonOptions& options, const SearchOptions& search,
                        std::ostream& out);

// A listed partition (0-based index into the disk's table) as JSON: number,
// fileSystem, firstSector, endSector and the tree's text.
nlohmann::json PartitionJson(RecoverySession& session, std::uint32_t index);

// The partition tree of the command's disk: the walk of its tables, or with
// `searched` the partition search that replaces it. The walk's warnings go to
// stderr unless `warn` is false.
TreeModel::Item ListCliPartitions(CliContext& context, bool searched,
                                  const SearchOptions& search = {},
                                  PartitionSearchOutcome* outcome = nullptr, bool warn = true);

// The walk's notes, one a line ("warning: " or "note: " first); only the
// warnings with `warningsOnly`.
void PrintWalkNotes(std::ostream& out, const DiskPartitions& disk, bool warningsOnly);
// "primary", "backup", "unreadable"; empty when the disk has no GUID partition table.
std::string_view GptCopyKey(GptCopy copy);

} // namespace quorvane::cli
