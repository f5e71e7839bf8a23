// probenix: writes the removable disks of this machine into the registry keys
// that Quorvane has just emptied, and ends. It takes no arguments and shows
// nothing; PROBENIX_SYSFS and PROBENIX_DEV point it at another device tree.
// Exit status 1 (and a line on stderr) when the values could not be written.
#include "platform/RegistryFile.h"
#include "probe/DriveProbe.h"
#include "probe/SysfsDrives.h"

#include <cstdlib>
#include <iostream>
#include <string>

namespace {

std::string FromEnvironment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

} // namespace

int main() {
    using namespace quorvane::probe;
    platform::RegistryFile registry = platform::RegistryFile::ForThisProgram();
    const std::vector<DriveProperties> drives =
        ReadSysfsDrives(FromEnvironment("PROBENIX_SYSFS", "/sys"),
                        FromEnvironment("PROBENIX_DEV", "/dev"), ReadDeviceGeometry);
    const ProbeWriteCounts counts = WriteProbedDrives(registry, drives);
    // Keys that are missing are no failure (nobody prepared them, so nobody
    // waits for the values), unless the store itself could not be read.
    const std::string error = registry.LastError();
    if (counts.failed > 0 || (counts.keyMissing > 0 && !error.empty())) {
        std::cerr << "probenix: the removable disks could not be written into "
                  << registry.StorePath().string() << (error.empty() ? "" : ": " + error) << '\n';
        return 1;
    }
    return 0;
}
