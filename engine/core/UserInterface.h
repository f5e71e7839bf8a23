#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// How the engine shows progress: the wizard's hint line, the status line of the
// search step, the text progress bar and the found-counters. The GUI, the CLI
// and the tests implement it; the engine never touches a widget.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void SetHint(std::string_view) {}
    virtual void SetStatus(std::string_view) {}
    virtual void ShowProgress(bool) {}
    // Position 0..100 and the text shown on the bar.
    virtual void SetProgress(int, std::string_view) {}
    virtual void SetCounter(std::string_view /*caption*/, std::string_view /*value*/) {}
};

// The bad-sector dialog's answers.
enum class BadSectorChoice : int { Retry = 0, Skip = 1, RetryAll = 2, SkipAll = 3 };

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo, YesNoCancel, OkCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// A file chosen in the recovery log's save dialog.
struct LogFileChoice {
    std::string path; // empty: the dialog was cancelled
    // The dialog itself asked whether to replace the existing file of this
    // name, and the user said yes (a save dialog with an overwrite prompt).
    // Without it the engine asks " already exists. Do you want to overwrite
    // this file?" itself.
    bool replaceConfirmed = false;
};

// Questions the engine asks whoever runs it. Each call blocks the asking thread
// until there is an answer.
class UserQuestions {
public:
    virtual ~UserQuestions() = default;
    // "Bad Sector Encountered" / "Bad Sector encountered ."
    virtual BadSectorChoice AskBadSector() = 0;
    virtual MessageAnswer ShowMessage(std::string_view text, std::string_view caption,
                                      MessageIcon icon, MessageButtons buttons) = 0;

    // The recovery log's file dialogs, both with the filter "*.WNF"
    // (description and pattern) and no default extension. The save dialog is
    // asked again after "Invalid Extension" and after a No to the overwrite
    // question, until a name is accepted or it is cancelled; the engine adds
    // ".WNF" to a name without one. The open dialog gives one existing file
    // (of several selected, the last). An empty path cancels. By default both
    // are cancelled: whoever shows no dialog neither saves nor loads a log.
    virtual LogFileChoice AskLogFileToSave() { return {}; }
    virtual std::string AskLogFileToOpen() { return {}; }
};

// A sink that shows nothing, for callers that want no progress.
class SilentProgress final : public ProgressSink {};

// Answers without asking anyone: unreadable sectors are skipped for the whole
// run, messages are acknowledged. For batch callers (benchmarks, fuzzing).
class SkipAllQuestions final : public UserQuestions {
public:
    BadSectorChoice AskBadSector() override { return BadSectorChoice::SkipAll; }
    MessageAnswer ShowMessage(std::string_view, std::string_view, MessageIcon,
                              MessageButtons) override {
        return MessageAnswer::Ok;
    }
};

} // namespace quorvane
