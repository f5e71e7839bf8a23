#include "app/EndOfRun.h"

namespace quorvane::app {

namespace {

constexpr std::string_view kCaption = "Quorvane";

bool AskYesNo(UserQuestions& questions, std::string_view text) {
    return questions.ShowMessage(text, kCaption, MessageIcon::Question, MessageButtons::YesNo) ==
           MessageAnswer::Yes;
}

void OfferToSave(UserQuestions& questions, RunControl& run) {
    if (AskYesNo(questions, "Do you want to save the recovery?")) {
        run.SaveRecoveryLog();
    }
}

} // namespace

EndDecision AskExit(UserQuestions& questions, RunControl& run) {
    if (!AskYesNo(questions, "Do you want to Exit?")) {
        return EndDecision::Stay;
    }
    // A search that was cut short has no complete recovery to save.
    const bool workRan = run.RunningWorker() != WorkerKind::None;
    if (workRan) {
        run.StopWorker();
    }
    if (run.ShowsResults() && !workRan) {
        OfferToSave(questions, run);
    }
    return EndDecision::EndProgram;
}

EndDecision AskCancel(UserQuestions& questions, RunControl& run) {
    const WorkerKind running = run.RunningWorker();
    if (run.ShowsResults() && running == WorkerKind::None && !run.RecoverySaved()) {
        OfferToSave(questions, run);
    }
    if (running == WorkerKind::None) {
        if (!AskYesNo(questions, "Do you want to exit from Quorvane?")) {
            return EndDecision::Stay;
        }
        run.OpenWebPage();
        return EndDecision::EndProgram;
    }
    // The partition search and every other work are ended alike: only on Yes.
    if (!AskYesNo(questions, "Do you want terminate current process?")) {
        return EndDecision::Stay;
    }
    run.StopWorker();
    return EndDecision::EndProgram;
}

} // namespace quorvane::app
