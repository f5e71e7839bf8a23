#pragma once

#include "engine/core/UserInterface.h"

namespace quorvane::app {

// The long work that may run while the user ends the program, at most one at
// a time.
enum class WorkerKind { None, PartitionSearch, Scan, FileSystem, RawRecovery, LogLoad, Save };

// What Exit and Cancel need to know about the run and may ask of it. The main
// window implements it; tests fake it.
class RunControl {
public:
    virtual ~RunControl() = default;
    virtual WorkerKind RunningWorker() const = 0;
    // The wizard shows the results of a search (its last step).
    virtual bool ShowsResults() const = 0;
    // The recovery has been written to a log since the results were shown.
    virtual bool RecoverySaved() const = 0;
    // Asks the running worker to stop at its next safe point and waits until
    // it has (whatever it wrote so far stays).
    virtual void StopWorker() = 0;
    virtual void SaveRecoveryLog() = 0;
    // The product's page, opened when the user leaves through Cancel.
    virtual void OpenWebPage() = 0;
};

enum class EndDecision { Stay, EndProgram };

// Exit (the Exit button and command): confirms, stops the running worker,
// offers to save the recovery, then the program ends.
EndDecision AskExit(UserQuestions& questions, RunControl& run);
// Cancel (Esc, the Cancel button, the window's close box): offers to save an
// unsaved recovery, then confirms ending the partition search, the running
// work or the program.
EndDecision AskCancel(UserQuestions& questions, RunControl& run);

} // namespace quorvane::app
