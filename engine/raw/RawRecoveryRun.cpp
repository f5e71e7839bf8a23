#include "engine/raw/RawRecoveryRun.h"

#include "engine/core/CellText.h"

namespace quorvane {

// Keeps the page's status and progress in step with what the worker shows,
// and passes everything on to the caller's sink.
class RawRecoveryRun::PageSink final : public ProgressSink {
public:
    PageSink(RawRecoveryRun& run) : run_(run) {}
    void SetStatus(std::string_view text) override {
        {
            std::lock_guard lock(run_.mutex_);
            run_.page_.statusText = text;
        }
        run_.progress_.SetStatus(text);
    }
    void ShowProgress(bool show) override {
        {
            std::lock_guard lock(run_.mutex_);
            run_.page_.progressVisible = show;
        }
        run_.progress_.ShowProgress(show);
    }
    void SetProgress(int position, std::string_view text) override {
        {
            std::lock_guard lock(run_.mutex_);
            run_.page_.progressPosition = position;
            run_.page_.progressText = text;
        }
        run_.progress_.SetProgress(position, text);
    }

private:
    RawRecoveryRun& run_;
};

RawRecoveryRun::RawRecoveryRun(SectorReader& reader, ListModel& fileTypeList,
                               ListModel& rawResultList, UserQuestions& questions,
                               ProgressSink& progress, RawRecoveryObserver* observer)
    : reader_(reader), fileTypeList_(fileTypeList), rawResultList_(rawResultList),
      questions_(questions), progress_(progress), observer_(observer) {}

RawRecoveryRun::~RawRecoveryRun() {
    worker_.request_stop();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void RawRecoveryRun::SelectEntireDisk() {
    std::lock_guard lock(mutex_);
    page_.entireDisk = true;
    page_.editsEnabled = false;
    page_.startText.clear();
    page_.endText.clear();
}

void RawRecoveryRun::SelectSectorRange(std::uint64_t diskSectors) {
    std::lock_guard lock(mutex_);
    page_.entireDisk = false;
    page_.editsEnabled = true;
    page_.startText = "0";
    page_.endText = Decimal(diskSectors);
}

void RawRecoveryRun::SetRangeTexts(std::string startText, std::string endText) {
    std::lock_guard lock(mutex_);
    page_.startText = std::move(startText);
    page_.endText = std::move(endText);
}

bool RawRecoveryRun::Running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

RawPage RawRecoveryRun::Page() const {
    std::lock_guard lock(mutex_);
    return page_;
}

RawRunOutcome RawRecoveryRun::LastOutcome() const {
    std::lock_guard lock(mutex_);
    return outcome_;
}

void RawRecoveryRun::Wait() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

void RawRecoveryRun::Press(const Disk& disk, const std::function<std::string()>& askDestination,
                           bool exactSize) {
    // The button's text tells a press to stop from a press to start.
    if (Page().buttonText == kStopSearching) {
        if (questions_.ShowMessage(kTerminateQuestion, kRawCaption, MessageIcon::Question,
                                   MessageButtons::YesNo) == MessageAnswer::Yes) {
            Stop();
        }
        return;
    }
    if (worker_.joinable()) {
        worker_.join(); // the previous run has ended; collect its thread
    }
    const RawPage page = Page();
    const RawTypeSelection types = CheckedRawTypes(fileTypeList_);
    const RawRangeInput range{page.entireDisk, page.startText, page.endText};
    // The checks that need no destination come first, as the dialog opens
    // only after them.
    RawStartCheck check = CheckRawStart(types, range, disk.sectors, std::string(), std::string());
    if (!check.message.empty()) {
        ShowRawStartMessage(questions_, check);
        std::lock_guard lock(mutex_);
        if (check.endText) {
            page_.endText = *check.endText;
        }
        return;
    }
    const std::string destination = askDestination ? askDestination() : std::string();
    check = CheckRawStart(types, range, disk.sectors, destination, disk.sourcePath);
    if (!check.ok) {
        ShowRawStartMessage(questions_, check);
        return;
    }
    Start(disk, std::move(check), exactSize);
}

void RawRecoveryRun::Start(const Disk& disk, RawStartCheck check, bool exactSize) {
    {
        std::lock_guard lock(mutex_);
        page_.buttonText = kStopSearching;
        page_.typesEnabled = false;
        page_.radiosEnabled = false;
        if (!page_.entireDisk) {
            page_.editsEnabled = false;
        }
        page_.statusText = RawSearchingDiskText(disk.number);
        page_.backEnabled = false;
        running_ = true;
    }
    progress_.SetStatus(RawSearchingDiskText(disk.number));
    destination_ = std::move(check.destination);
    sink_ = std::make_unique<PageSink>(*this);
    RawRunSettings settings;
    settings.start = check.start;
    settings.end = check.end;
    settings.types = CheckedRawTypes(fileTypeList_);
    settings.exactSize = exactSize;
    worker_ = std::jthread([this, settings, device = disk.device](std::stop_token stop) {
        RawRunContext context{reader_, device, *destination_, rawResultList_, *sink_, observer_};
        const RawRunOutcome outcome = RunRawRecovery(context, settings, stop);
        std::lock_guard lock(mutex_);
        outcome_ = outcome;
        if (outcome.stopped) {
            return; // the stop resets the page
        }
        // The end of a run that reached the end of its range.
        page_.buttonText = kStartRecoveryAgain;
        page_.statusText.clear();
        page_.progressPosition = 0;
        page_.progressVisible = false;
        page_.typesEnabled = true;
        page_.radiosEnabled = true;
        page_.backEnabled = true;
        page_.editsEnabled = !page_.entireDisk;
        rawResultList_.DeleteAll();
        running_ = false;
    });
}

void RawRecoveryRun::Stop() {
    worker_.request_stop();
    if (worker_.joinable()) {
        worker_.join();
    }
    std::lock_guard lock(mutex_);
    page_.editsEnabled = !page_.entireDisk;
    page_.progressVisible = false;
    page_.statusText.clear();
    page_.buttonText = kStartRecovery;
    page_.backEnabled = true;
    page_.progressText = "0 % Completed";
    page_.progressPosition = 0;
    page_.typesEnabled = true;
    page_.radiosEnabled = true;
    rawResultList_.DeleteAll();
    running_ = false;
}

} // namespace quorvane
