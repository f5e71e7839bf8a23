#pragma once

#include "cli/CliContext.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

namespace quorvane::cli {

struct CommonOptions {
    std::string disk;
    bool json = false;
    BadSectorPolicy badSectors = BadSectorPolicy::Retry;
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
};
int RunList(const CommonOptions& options, const ListOptions& list, std::ostream& out);

} // namespace quorvane::cli
