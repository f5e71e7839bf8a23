#pragma once

#include "engine/core/UserInterface.h"
#include "engine/log/RecoveryLogFile.h"
#include "engine/session/RecoverySession.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The recovery log of a session: SAVE LOG (and the Exit and Cancel paths
// that offer it) writes the state of a finished search into a *.WNF file;
// LOAD LOG reads one back on the partition step, after the same disk has been
// chosen, and rebuilds the folder tree without searching the disk again.
//
// The disk is named by its model text (DiskModelText of the catalogue, or
// the catalogue's model of the disk chosen): a log can only be loaded on a
// disk with exactly the same model text. The disk number, the partition and
// the volume's geometry all come from the log, so files are later read at the
// sectors the log names.

enum class LogOutcome {
    Done,      // written, or loaded into the session
    Cancelled, // the file dialog was cancelled
    Refused,   // a message said why (the floppy, the file, the disk); nothing changed
    Stopped,   // the stop request ended the load; nothing changed
};

struct LogResult {
    LogOutcome outcome = LogOutcome::Cancelled;
    std::string path;    // the file written or read
    std::string message; // when Refused: the message shown
    // A save: what the log's layout could not hold and lost (values over 32
    // bits, names over 255 bytes); empty when the log holds everything.
    std::vector<std::string> losses;
};

// SAVE LOG and LOAD LOG in raw recovery mode show "This Feature can not be
// used while running under RAW Recovery Mode" and do nothing; false then.
// (The wizard also offers SAVE LOG only with results shown and LOAD LOG only
// on the partition step.)
bool LogUsable(const RecoverySession& session);

// The path a save dialog's choice is written to: ".WNF" appended when the
// file name has no dot (`appended` says so). Only the file name (after the
// last "/" or "\") is looked at, not the folders above it.
std::string LogPathOf(std::string_view chosen, bool& appended);

// What a log of the session holds; `losses` gets what its 32-bit fields and
// 255-byte names cannot hold (saturated at 4294967295, names cut).
RecoveryLogContent CollectRecoveryLog(const RecoverySession& session, std::string_view diskModel,
                                      std::vector<std::string>& losses);

// SAVE LOG, on the window's thread: "Recovery can not be saved for Floppy"
// (caption "Error") on FAT12; then the save dialog until a name is accepted
// (".WNF" appended to a name without a dot, "Invalid Extension" unless it
// ends in "WNF", an existing file replaced only when the dialog or the
// engine's question confirmed it); "Unable to open file" when it cannot be
// written. On success the session is marked as saved to a log.
LogResult SaveRecoveryLog(RecoverySession& session, std::string_view diskModel);

// LOAD LOG, the body of the "recovery-log load" worker: the open dialog,
// "Unable to open file", "You Have Selected Wrong Disk" (model text
// compared exactly with `diskModel`), "Error in file" for a file that is not
// a whole log. All or nothing: the file is decoded and the tree planned
// first, and only a complete log replaces the session's partition, volume,
// tables and folder tree; a refused, cancelled or stopped load leaves the
// session exactly as it was. After a load the search mode is Standard, the
// folder tree is built (every folder loaded, nothing read from the disk),
// MainList has its file-list columns and no rows, and the session is marked
// as saved to a log. `stop` is looked at between records.
LogResult LoadRecoveryLog(RecoverySession& session, std::string_view diskModel,
                          ProgressSink& progress, std::stop_token stop = {});

// LoadRecoveryLog after the file has been read: `bytes` is its content.
LogResult LoadRecoveryLogBytes(RecoverySession& session, std::span<const std::byte> bytes,
                               std::string_view diskModel, ProgressSink& progress,
                               std::stop_token stop = {});

} // namespace quorvane
