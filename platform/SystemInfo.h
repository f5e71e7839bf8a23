#pragma once

#include <optional>
#include <string>

namespace platform {

// Platform identifiers in the numbering of the Windows version call.
inline constexpr unsigned kPlatformWin32s = 0;
inline constexpr unsigned kPlatformWindows9x = 1;
inline constexpr unsigned kPlatformNt = 2;

struct OsVersionInfo {
    unsigned platformId = kPlatformNt;
    // The Windows release number; 0 on a system that is not Windows, where no
    // notice about a particular Windows release applies.
    unsigned majorVersion = 0;
    unsigned minorVersion = 0;
    std::string description; // for people: "Linux 6.1.0-18-amd64"
};

// The running system. Here raw devices are read the way the NT family reads
// them (whole-disk devices opened read-only), so the identifier is the NT
// one. Empty when the system cannot be asked.
std::optional<OsVersionInfo> GetOsVersion();

// The folder for temporary files ($TMPDIR, else /tmp), ending in '/'; empty
// when there is none.
std::string TempFolder();

} // namespace platform
