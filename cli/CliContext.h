#pragma once

#include "engine/core/UserInterface.h"
#include "engine/session/RecoverySession.h"
#include "platform/DeviceMap.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace quorvane::cli {

// A failure that ends the command with exit status 1 and a one-line message.
struct CommandError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class BadSectorPolicy { Ask, Retry, Skip };

// Answers the engine's questions from the command line's options, or from the
// terminal when asked to.
class CliQuestions final : public UserQuestions {
public:
    explicit CliQuestions(BadSectorPolicy policy) : policy_(policy) {}
    BadSectorChoice AskBadSector() override;
    MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                              MessageButtons buttons) override;

    // The recovery log's file dialogs answer with the paths given on the
    // command line, once each; asked again (after "Invalid Extension" or a
    // refused overwrite) they are cancelled. `replace`: the user agreed to
    // replace an existing file of the given name (--overwrite-log).
    void OfferLogFileToSave(std::string path, bool replace);
    void OfferLogFileToOpen(std::string path) { openLog_ = std::move(path); }
    LogFileChoice AskLogFileToSave() override;
    std::string AskLogFileToOpen() override;

private:
    BadSectorPolicy policy_;
    LogFileChoice saveLog_;
    std::string openLog_;
};

// Progress on stderr, only when stderr is a terminal.
class CliProgress final : public ProgressSink {
public:
    CliProgress();
    void SetHint(std::string_view text) override;
    void SetStatus(std::string_view text) override;
    void SetProgress(int position, std::string_view text) override;

private:
    bool enabled_;
};

// While it lives, Ctrl-C asks the running search to stop at its next safe
// point instead of ending the program.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
    static bool Interrupted();

private:
    void (*previous_)(int);
};

// One disk given on the command line, mapped as disk 0 of a fresh session.
class CliContext {
public:
    CliContext(const std::string& diskPath, BadSectorPolicy policy);
    ~CliContext();

    RecoverySession& Session() { return *session_; }
    CliQuestions& Questions() { return questions_; }
    ProgressSink& Progress() { return progress_; }
    const std::string& DiskPath() const { return diskPath_; }

private:
    std::string diskPath_;
    platform::DeviceMap devices_;
    CliQuestions questions_;
    CliProgress progress_;
    std::unique_ptr<RecoverySession> session_;
};

} // namespace quorvane::cli
