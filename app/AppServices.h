#pragma once

#include "engine/core/UserInterface.h"
#include "engine/disk/DiskCatalogue.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"

#include <optional>
#include <vector>

namespace quorvane::app {

// What the program was asked to do on its command line.
struct StartOptions {
    bool noSplash = false;
    // Images and devices to offer as disks (--image), and the floppy (--floppy).
    std::vector<NamedDisk> named;
};

// The system services the wizard uses, so that tests can give their own.
struct AppServices {
    platform::Registry& registry;
    platform::ProcessLauncher& launcher;
    platform::Shell& shell;
    UserQuestions& questions;
    std::optional<platform::OsVersionInfo> os;
};

} // namespace quorvane::app
