#pragma once

#include "engine/raw/RawRecovery.h"

#include <functional>
#include <mutex>
#include <thread>

namespace quorvane {

inline constexpr std::string_view kStartRecovery = "S&tart Recovery";
inline constexpr std::string_view kStartRecoveryAgain = "&Start Recovery"; // after a completed run
inline constexpr std::string_view kStopSearching = "S&top Searching";
inline constexpr std::string_view kTerminateQuestion = "Do you want terminate this process ?";

// What the raw recovery page shows, without a widget: the GUI renders it.
struct RawPage {
    bool entireDisk = true;
    std::string startText;
    std::string endText;
    bool editsEnabled = false;
    bool typesEnabled = true;  // FileTypeList
    bool radiosEnabled = true; // "Entire Disk" and "Sector Range"
    bool backEnabled = true;
    std::string buttonText = std::string(kStartRecovery);
    std::string statusText;
    bool progressVisible = false;
    int progressPosition = 0;
    std::string progressText;
};

// The raw recovery page's run: idle or running, one run at a time. The
// worker is a std::jthread that stops cooperatively; every other member is
// called from the page's thread.
class RawRecoveryRun {
public:
    struct Disk {
        std::uint16_t number = 0;
        std::string device;     // the engine's name of the disk
        std::string sourcePath; // the image or block device behind it
        std::uint64_t sectors = 0;
    };

    RawRecoveryRun(SectorReader& reader, ListModel& fileTypeList, ListModel& rawResultList,
                   UserQuestions& questions, ProgressSink& progress,
                   RawRecoveryObserver* observer = nullptr);
    ~RawRecoveryRun();
    RawRecoveryRun(const RawRecoveryRun&) = delete;
    RawRecoveryRun& operator=(const RawRecoveryRun&) = delete;

    // The two radio buttons.
    void SelectEntireDisk();
    void SelectSectorRange(std::uint64_t diskSectors);
    void SetRangeTexts(std::string startText, std::string endText);

    // "S&tart Recovery" pressed. While idle: the start checks, the
    // destination from `askDestination` (the destination dialog; empty when
    // cancelled), then the worker. While running: asks whether to stop, and
    // on Yes stops the worker and resets the page.
    void Press(const Disk& disk, const std::function<std::string()>& askDestination,
               bool exactSize = false);

    bool Running() const;
    // Waits until the worker has ended by itself.
    void Wait();
    RawPage Page() const;
    RawRunOutcome LastOutcome() const;

private:
    class PageSink;
    void Start(const Disk& disk, RawStartCheck check, bool exactSize);
    void Stop();

    SectorReader& reader_;
    ListModel& fileTypeList_;
    ListModel& rawResultList_;
    UserQuestions& questions_;
    ProgressSink& progress_;
    RawRecoveryObserver* observer_;

    mutable std::mutex mutex_;
    RawPage page_;
    RawRunOutcome outcome_;
    bool running_ = false;
    std::unique_ptr<Destination> destination_;
    std::unique_ptr<PageSink> sink_;
    std::jthread worker_;
};

} // namespace quorvane
