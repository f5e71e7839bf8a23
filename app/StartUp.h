#pragma once

#include "app/AppServices.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quorvane::app {

// The command line: --no-splash, --image FILE (repeatable) and --floppy FILE.
// Empty with `error` set (or with `error` empty for --help and --version,
// whose text is in `output`) when the program is not to start.
std::optional<StartOptions> ParseCommandLine(const QStringList& arguments, QString& error,
                                             QString& output);

// The start sequence: the splash for two seconds (unless asked not to), the
// notice on the Windows release that needs it, then the main window until it
// closes. The program's exit code.
int RunStartSequence(AppServices& services, const StartOptions& options);

} // namespace quorvane::app
