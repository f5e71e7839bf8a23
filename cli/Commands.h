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

} // namespace quorvane::cli
