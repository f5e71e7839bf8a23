#include "cli/Commands.h"

#include "engine/raw/RawRecovery.h"

#include <atomic>
#include <chrono>
#include <fmt/format.h>
#include <iostream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>
#include <unistd.h>

namespace quorvane::cli {

namespace {

std::string ResultText(RawWriteResult result) {
    return result == RawWriteResult::Written ? "written" : "failed";
}

// "doc,zip" -> the type check marks; an unknown word is an error.
RawTypeSelection ParseTypes(const std::string& list) {
    RawTypeSelection types{};
    std::size_t from = 0;
    while (from <= list.size()) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        const std::string word = list.substr(from, comma - from);
        from = comma + 1;
        if (word.empty()) {
            continue;
        }
        bool known = false;
        for (std::size_t k = 0; k < kRawTypeCount; ++k) {
            if (word == kRawFileTypes[k].option) {
                types[k] = true;
                known = true;
            }
        }
        if (!known) {
            throw CommandError(
                fmt::format("--types: unknown type '{}' (doc, xls, ppt or zip)", word));
        }
    }
    return types;
}

// The live line on stderr (only on a terminal) and the files as they are
// written: a line each on stdout, failures on stderr, and the JSON records.
class CarveReport final : public ProgressSink, public RawRecoveryObserver {
public:
    explicit CarveReport(bool json) : json_(json), live_(::isatty(STDERR_FILENO) != 0) {}

    void SetStatus(std::string_view text) override {
        std::lock_guard lock(mutex_);
        status_ = text;
        Draw();
    }
    void SetProgress(int, std::string_view text) override {
        std::lock_guard lock(mutex_);
        percent_ = text;
        Draw();
    }
    void FileDone(const RawFileRecord& r) override {
        std::lock_guard lock(mutex_);
        const auto t = static_cast<std::size_t>(r.type);
        const std::string type(kRawFileTypes[t].option);
        if (r.result == RawWriteResult::Written) {
            ++found_[t];
        }
        records_.push_back({{"name", r.name},
                            {"firstSector", r.firstSector},
                            {"endSector", r.endSector},
                            {"type", type},
                            {"bytes", r.bytes},
                            {"result", ResultText(r.result)},
                            {"sizeFromStructure", r.sizeFromStructure}});
        if (!r.error.empty()) {
            records_.back()["error"] = r.error;
        }
        Clear();
        if (r.result != RawWriteResult::Written) {
            std::cerr << "quorvane-cli: " << r.error << '\n';
        } else if (!json_) {
            std::cout << fmt::format("{:<14} {:<4} first {:>12}  end {:>12}  {:>12} bytes\n",
                                     r.name, type, r.firstSector, r.endSector, r.bytes);
        }
        Draw();
    }
    void Finish() {
        std::lock_guard lock(mutex_);
        Clear();
        live_ = false;
    }
    nlohmann::json Records() const { return records_; }

private:
    void Clear() {
        if (live_) {
            std::cerr << "\r\033[K" << std::flush;
        }
    }
    void Draw() {
        if (!live_) {
            return;
        }
        std::string counts;
        for (std::size_t k = 0; k < kRawTypeCount; ++k) {
            counts += fmt::format("  {} {}", kRawFileTypes[k].stem, found_[k]);
        }
        std::cerr << "\r\033[K" << percent_ << " " << status_ << counts << std::flush;
    }

    bool json_;
    bool live_;
    std::mutex mutex_;
    std::string status_;
    std::string percent_;
    std::array<std::uint64_t, kRawTypeCount> found_{};
    nlohmann::json records_ = nlohmann::json::array();
};

} // namespace

int RunCarve(const CommonOptions& options, const CarveOptions& carve, std::ostream& out) {
    const RawTypeSelection types = ParseTypes(carve.types);
    CliContext context(options.disk, options.badSectors);
    RecoverySession& session = context.Session();
    const std::uint64_t sectors = session.Reader.DeviceSectors(session.Device());

    RawRangeInput range;
    range.entireDisk = carve.start.empty() && carve.end.empty();
    range.startText = carve.start.empty() ? "0" : carve.start;
    range.endText = carve.end.empty() ? std::to_string(sectors) : carve.end;
    RawStartCheck check = CheckRawStart(types, range, sectors, carve.out, context.DiskPath());
    if (!check.ok) {
        std::string where;
        if (check.focus == RawEdit::Start || check.message == kStartNotBelowEnd) {
            where = "--start " + range.startText + ": ";
        } else if (check.message == kInvalidEndSector) {
            where = fmt::format("--end {}: ", range.endText);
        } else if (check.message == kSelectFileType) {
            where = "--types: ";
        } else {
            where = "--out " + carve.out + ": ";
        }
        std::string text = where + check.message;
        if (check.message == kInvalidEndSector) {
            text += fmt::format(" (the disk has {} sectors)", sectors);
        }
        if (!check.detail.empty()) {
            text += " (" + check.detail + ")";
        }
        throw CommandError(text);
    }

    RawRunSettings settings;
    settings.start = check.start;
    settings.end = check.end;
    settings.types = types;
    settings.exactSize = carve.exactSize;
    CarveReport report(options.json);
    RawRunContext run{
        session.Reader, session.Device(), *check.destination, session.Tables.RawResultList,
        report,         &report};
    report.SetStatus(RawSearchingDiskText(0));

    InterruptGuard guard;
    RawRunOutcome outcome;
    std::atomic<bool> done{false};
    {
        std::jthread worker([&](std::stop_token stop) {
            outcome = RunRawRecovery(run, settings, stop);
            done = true;
        });
        while (!done.load()) {
            if (InterruptGuard::Interrupted()) {
                worker.request_stop();
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    report.Finish();
    if (outcome.stopped) {
        std::cerr << "quorvane-cli: stopped; the files written so far are kept\n";
    }

    std::uint64_t failed = 0;
    nlohmann::json totals = nlohmann::json::object();
    for (std::size_t k = 0; k < kRawTypeCount; ++k) {
        failed += outcome.failed[k];
        if (types[k]) {
            totals[std::string(kRawFileTypes[k].option)] = {{"recovered", outcome.recovered[k]},
                                                            {"failed", outcome.failed[k]}};
        }
    }
    if (options.json) {
        const nlohmann::json result = {{"disk", options.disk},
                                       {"destination", carve.out},
                                       {"start", settings.start},
                                       {"end", settings.end},
                                       {"exactSize", settings.exactSize},
                                       {"stopped", outcome.stopped},
                                       {"candidates", outcome.candidates},
                                       {"totals", totals},
                                       {"files", report.Records()}};
        out << result.dump(2) << '\n';
    } else {
        for (std::size_t k = 0; k < kRawTypeCount; ++k) {
            if (types[k]) {
                out << RawTotalText(static_cast<RawFileType>(k), outcome.recovered[k]) << '\n';
            }
        }
    }
    if (failed > 0) {
        throw CommandError(fmt::format("{} file(s) could not be written to {}", failed, carve.out));
    }
    return outcome.stopped ? 1 : 0;
}

} // namespace quorvane::cli
