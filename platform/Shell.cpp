#include "platform/Shell.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform {

namespace {

bool IsAddress(std::string_view target) {
    const std::size_t colon = target.find("://");
    return colon != std::string_view::npos && colon > 0 &&
           target.find('/') > colon; // "https://..." but not "/data/a://b"
}

std::string SearchPath(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
    }
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!folders.empty()) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
        if (folder.empty()) {
            continue;
        }
        const std::string candidate = std::string(folder) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

} // namespace

std::string SystemShell::FindOpener() {
    const char* configured = std::getenv("QUORVANE_OPENER");
    if (configured != nullptr && *configured != '\0') {
        return SearchPath(configured);
    }
    return SearchPath("xdg-open");
}

bool SystemShell::OpenWithAssociatedProgram(const std::string& target, std::string& error) {
    std::error_code ec;
    if (target.empty() || (!IsAddress(target) && !std::filesystem::exists(target, ec))) {
        error = "The file " + target + " cannot be found.";
        return false;
    }
    const std::string opener = FindOpener();
    if (opener.empty()) {
        error = "No program is set up to open " + target +
                " (install xdg-utils, or set QUORVANE_OPENER to a program that opens files).";
        return false;
    }
    // The opener may keep running as long as the viewer it started (a browser
    // started in the foreground), so a short-lived shell starts it in the
    // background and is reaped at once; the opener is then nobody's child and
    // never becomes a zombie of this program.
    std::vector<std::string> arguments = {
        "/bin/sh", "-c", "\"$0\" \"$1\" </dev/null >/dev/null 2>&1 &", opener, target};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ) != 0) {
        error = "Cannot start " + opener + " to open " + target + ".";
        return false;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            break;
        }
    }
    return true;
}

} // namespace platform
