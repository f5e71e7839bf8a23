#pragma once

#include <string>

namespace platform {

// Opens files and addresses with the program the desktop associates with them
// (a help page in the browser, a recovered file in its viewer).
class Shell {
public:
    virtual ~Shell() = default;
    // Starts the associated program for `target` (a file path or an address)
    // and returns without waiting for it. False, with `error` saying why, when
    // the file is missing or no opener can be started.
    virtual bool OpenWithAssociatedProgram(const std::string& target, std::string& error) = 0;
};

// The desktop's opener: $QUORVANE_OPENER when set (a program that takes the
// target as its only argument), else xdg-open found on the PATH.
class SystemShell final : public Shell {
public:
    bool OpenWithAssociatedProgram(const std::string& target, std::string& error) override;

    // The opener that would be used; empty when none is found.
    static std::string FindOpener();
};

} // namespace platform
