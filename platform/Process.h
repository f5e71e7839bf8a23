#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// Starts programs and waits for them to end.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts the program at `path` with `arguments` as its whole argument list
    // (the first is what the program sees as its own name) and waits until it
    // has ended. Returns its exit status, 128 + the signal when a signal ended
    // it, or -1 when it could not be started.
    virtual int StartAndWait(const std::string& path,
                             const std::vector<std::string>& arguments) = 0;
};

// Starts real programs. The child inherits the environment, so variables that
// point a program at another registry or device tree reach it.
class SystemProcessLauncher final : public ProcessLauncher {
public:
    int StartAndWait(const std::string& path, const std::vector<std::string>& arguments) override;
};

// The absolute path of the running program; empty when it cannot be found.
std::filesystem::path CurrentProgramPath();

} // namespace platform
