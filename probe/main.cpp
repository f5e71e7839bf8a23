// probenix: writes the removable disks of this machine into the registry keys
// that Quorvane has just emptied, and ends. It takes no arguments and shows
// nothing; PROBENIX_SYSFS and PROBENIX_DEV point it at another device tree.
#include "platform/RegistryFile.h"
#include "probe/DriveProbe.h"
#include "probe/SysfsDrives.h"

#include <cstdlib>
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
    WriteProbedDrives(registry, drives);
    return 0;
}
