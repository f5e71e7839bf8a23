#include "cli/CliContext.h"

#include "platform/FileBlockDevice.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <unistd.h>
#include <utility>

namespace quorvane::cli {

BadSectorChoice CliQuestions::AskBadSector() {
    switch (policy_) {
    case BadSectorPolicy::Retry:
        return BadSectorChoice::RetryAll;
    case BadSectorPolicy::Skip:
        return BadSectorChoice::SkipAll;
    case BadSectorPolicy::Ask:
        break;
    }
    if (!::isatty(STDIN_FILENO)) {
        return BadSectorChoice::RetryAll;
    }
    std::cerr << "Bad Sector encountered .\n"
              << "[r] Retry  [s] Skip  [R] Retry All  [S] Skip All: " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    if (answer == "s") {
        return BadSectorChoice::Skip;
    }
    if (answer == "R") {
        return BadSectorChoice::RetryAll;
    }
    if (answer == "S") {
        return BadSectorChoice::SkipAll;
    }
    return BadSectorChoice::Retry;
}

MessageAnswer CliQuestions::ShowMessage(std::string_view text, std::string_view caption,
                                        MessageIcon, MessageButtons buttons) {
    std::cerr << caption << ": " << text << '\n';
    switch (buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return MessageAnswer::No;
    case MessageButtons::OkCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::Ok:
        break;
    }
    return MessageAnswer::Ok;
}

void CliQuestions::OfferLogFileToSave(std::string path, bool replace) {
    saveLog_.path = std::move(path);
    saveLog_.replaceConfirmed = replace;
}

LogFileChoice CliQuestions::AskLogFileToSave() {
    return std::exchange(saveLog_, LogFileChoice{});
}

std::string CliQuestions::AskLogFileToOpen() {
    return std::exchange(openLog_, std::string());
}

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
    interrupted = 1;
}

} // namespace

InterruptGuard::InterruptGuard() {
    interrupted = 0;
    previous_ = std::signal(SIGINT, OnInterrupt);
}

InterruptGuard::~InterruptGuard() {
    std::signal(SIGINT, previous_);
}

bool InterruptGuard::Interrupted() {
    return interrupted != 0;
}

CliProgress::CliProgress() : enabled_(::isatty(STDERR_FILENO) != 0) {}

void CliProgress::SetHint(std::string_view text) {
    if (enabled_) {
        std::cerr << text << '\n';
    }
}

void CliProgress::SetStatus(std::string_view text) {
    if (enabled_) {
        std::cerr << "\r\033[K" << text << std::flush;
    }
}

void CliProgress::SetProgress(int position, std::string_view text) {
    if (enabled_) {
        std::cerr << "\r\033[K" << position << "% Completed  " << text << std::flush;
    }
}

CliContext::CliContext(const std::string& diskPath, BadSectorPolicy policy)
    : diskPath_(diskPath), questions_(policy) {
    std::string error;
    if (!platform::FileBlockDevice::Open(diskPath, error)) {
        throw CommandError(error);
    }
    devices_.Map(DeviceNameTable::NameOf(0), diskPath);
    session_ = std::make_unique<RecoverySession>(devices_, questions_);
    session_->Selection.SelectedDiskNumber = 0;
    session_->Selection.SelectedDiskLabel = "Disk0";
}

CliContext::~CliContext() {
    const std::uint64_t lost = session_ ? session_->Reader.UnreadableSectors() : 0;
    if (lost > 0) {
        std::cerr << "warning: " << lost << " sector(s) of " << diskPath_
                  << " could not be read and were taken as zeros\n";
    }
}

} // namespace quorvane::cli
