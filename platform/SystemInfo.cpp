#include "platform/SystemInfo.h"

#include <filesystem>
#include <sys/utsname.h>

namespace platform {

std::optional<OsVersionInfo> GetOsVersion() {
    struct utsname name {};
    if (::uname(&name) != 0) {
        return std::nullopt;
    }
    OsVersionInfo info;
    info.platformId = kPlatformNt;
    // The kernel's own release number is not a Windows release number (a 6.x
    // kernel is not Windows Vista), so it goes into the description only.
    info.majorVersion = 0;
    info.minorVersion = 0;
    info.description = std::string(name.sysname) + " " + name.release;
    return info;
}

std::string TempFolder() {
    std::error_code ec;
    std::string folder = std::filesystem::temp_directory_path(ec).string();
    if (ec || folder.empty()) {
        return {};
    }
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

} // namespace platform
