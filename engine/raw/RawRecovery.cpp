#include "engine/raw/RawRecovery.h"

#include "engine/core/CellText.h"
#include "engine/core/PercentProgress.h"
#include "engine/disk/CatalogueGeometry.h"
#include "engine/raw/RawCopyPlan.h"
#include "engine/raw/RawFileSize.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace quorvane {

namespace {

// The edits hold signed numbers; surrounding blanks are allowed, anything
// else makes the text invalid.
std::optional<std::int64_t> ParseSector(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

RawStartCheck Refuse(std::string_view message, RawEdit focus,
                     MessageIcon icon = MessageIcon::Error) {
    RawStartCheck check;
    check.message = message;
    check.focus = focus;
    check.icon = icon;
    return check;
}

// The rows of RawResultList: one per checked type, in type order, shown the
// first time a file of the run is written.
class RawTotals {
public:
    RawTotals(ListModel& list, const RawTypeSelection& types) : list_(list), types_(types) {}

    void Count(RawFileType type, bool written) {
        const auto t = static_cast<std::size_t>(type);
        if (!shown_) {
            list_.DeleteAll();
            std::size_t row = 0;
            for (std::size_t k = 0; k < kRawTypeCount; ++k) {
                if (types_[k]) {
                    rows_[k] = row++;
                    list_.AppendRow(RawTotalText(static_cast<RawFileType>(k), 0));
                }
            }
            shown_ = true;
        }
        if (written) {
            ++outcome.recovered[t];
            list_.SetCell(rows_[t], 0, RawTotalText(type, outcome.recovered[t]));
        } else {
            ++outcome.failed[t];
        }
    }

    RawRunOutcome outcome;

private:
    ListModel& list_;
    RawTypeSelection types_;
    std::array<std::size_t, kRawTypeCount> rows_{};
    bool shown_ = false;
};

} // namespace

RawTypeSelection CheckedRawTypes(const ListModel& fileTypeList) {
    RawTypeSelection types{};
    for (std::size_t k = 0; k < kRawTypeCount && k < fileTypeList.RowCount(); ++k) {
        types[k] = fileTypeList.Checked(k);
    }
    return types;
}

RawStartCheck CheckRawStart(const RawTypeSelection& types, const RawRangeInput& range,
                            std::uint64_t diskSectors, const std::string& destination,
                            const std::string& sourcePath) {
    if (std::none_of(types.begin(), types.end(), [](bool t) { return t; })) {
        return Refuse(kSelectFileType, RawEdit::None, MessageIcon::Information);
    }
    std::uint64_t start = 0;
    std::uint64_t end = diskSectors;
    if (!range.entireDisk) {
        const std::optional<std::int64_t> e = ParseSector(range.endText);
        if (!e) {
            RawStartCheck check = Refuse(kInvalidEndSector, RawEdit::None);
            check.endText = Decimal(diskSectors);
            return check;
        }
        const std::optional<std::int64_t> s = ParseSector(range.startText);
        // A negative start names no sector.
        if (!s || *s < 0) {
            return Refuse(kInvalidStartSector, RawEdit::Start);
        }
        if (*s >= *e) {
            return Refuse(kStartNotBelowEnd, RawEdit::Start);
        }
        if (static_cast<std::uint64_t>(*e) > diskSectors) {
            return Refuse(kInvalidEndSector, RawEdit::End);
        }
        start = static_cast<std::uint64_t>(*s);
        end = static_cast<std::uint64_t>(*e);
    }
    DestinationOpen opened = Destination::Open(destination, sourcePath);
    switch (opened.error) {
    case DestinationError::None:
        break;
    case DestinationError::NoPath:
        return {}; // the destination dialog was cancelled
    case DestinationError::CannotCreate:
    case DestinationError::NotWritable: {
        RawStartCheck check = Refuse(kUnableToCreateDirectory, RawEdit::None);
        check.detail = opened.detail;
        return check;
    }
    case DestinationError::OnSourceDisk: {
        RawStartCheck check = Refuse(kDestinationOnSource, RawEdit::None);
        check.detail = opened.detail;
        return check;
    }
    }
    RawStartCheck check;
    check.ok = true;
    check.start = start;
    check.end = end;
    check.destination = std::move(opened.destination);
    return check;
}

void ShowRawStartMessage(UserQuestions& questions, const RawStartCheck& check) {
    if (!check.message.empty()) {
        questions.ShowMessage(check.message, kRawCaption, check.icon, MessageButtons::Ok);
    }
}

std::uint64_t RawDiskSectors(platform::Registry& registry, const DiskSelection& selection) {
    if (selection.FloppyChosen()) {
        return 2880;
    }
    return EntireDiskRange(registry, selection.SelectedDiskNumber).end;
}

std::string RawSearchingDiskText(std::uint16_t diskNumber) {
    return "Searching Disk - " + Decimal(diskNumber);
}

std::string RawSectorStatus(std::uint64_t sector) {
    return " Searching Sector :- " + Decimal(sector);
}

std::string RawTotalText(RawFileType type, std::uint64_t count) {
    return std::string(InfoOf(type).totalText) + Decimal(count);
}

std::string RawFileName(RawFileType type, std::uint64_t number) {
    return std::string(InfoOf(type).stem) + Decimal(number) + std::string(InfoOf(type).extension);
}

void ReadRawWindow(SectorReader& reader, const std::string& device, std::uint64_t deviceSectors,
                   std::uint64_t first, std::span<std::byte> window) {
    const std::uint64_t sectors = window.size() / kSectorSize;
    const std::uint64_t onDisk =
        first < deviceSectors ? std::min(sectors, deviceSectors - first) : 0;
    if (onDisk > 0) {
        reader.ReadSectorsInRequests(device, first, static_cast<std::uint32_t>(onDisk), window,
                                     kRawRunSectors);
    }
    std::fill(window.begin() + static_cast<std::ptrdiff_t>(onDisk * kSectorSize), window.end(),
              std::byte{0});
}

namespace {

// Reads the windows of a range one ahead of their use: while one window is
// decided (and its files copied), the next is read on a thread of its own.
class WindowPrefetch {
public:
    WindowPrefetch(SectorReader& reader, std::string device, std::uint64_t deviceSectors,
                   std::uint64_t first, std::uint64_t end)
        : reader_(reader), device_(std::move(device)), deviceSectors_(deviceSectors), next_(first),
          end_(end) {
        for (auto& b : buffers_) {
            b.resize(std::size_t{kRawWindowSectors} * kSectorSize);
        }
        thread_ = std::jthread([this](std::stop_token stop) { Produce(stop); });
    }
    ~WindowPrefetch() {
        thread_.request_stop();
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
    }

    // The next window; false when the range is done. The bytes stay valid
    // until the next call.
    bool Next(std::uint64_t& first, std::span<const std::byte>& bytes) {
        std::unique_lock lock(mutex_);
        if (taken_ > 0) {
            ++released_; // the previous window is done with
            changed_.notify_all();
        }
        changed_.wait(lock, [this] { return ready_ > taken_ || done_; });
        if (ready_ == taken_) {
            return false;
        }
        const std::uint64_t k = taken_++;
        first = firsts_[k % 2];
        bytes = buffers_[k % 2];
        return true;
    }

private:
    void Produce(std::stop_token stop) {
        for (std::uint64_t k = 0; next_ < end_ && !stop.stop_requested(); ++k) {
            {
                std::unique_lock lock(mutex_);
                // Buffer k % 2 is free once window k - 2 is released.
                changed_.wait(lock, [&] { return k < released_ + 2 || stopping_; });
                if (stopping_) {
                    return;
                }
            }
            ReadRawWindow(reader_, device_, deviceSectors_, next_, buffers_[k % 2]);
            std::lock_guard lock(mutex_);
            firsts_[k % 2] = next_;
            next_ += kRawWindowSectors;
            ++ready_;
            changed_.notify_all();
        }
        std::lock_guard lock(mutex_);
        done_ = true;
        changed_.notify_all();
    }

    SectorReader& reader_;
    std::string device_;
    std::uint64_t deviceSectors_;
    std::uint64_t next_;
    std::uint64_t end_;
    std::array<std::vector<std::byte>, 2> buffers_;
    std::array<std::uint64_t, 2> firsts_{};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t ready_ = 0;    // windows read
    std::uint64_t taken_ = 0;    // windows handed out
    std::uint64_t released_ = 0; // windows done with
    bool done_ = false;
    bool stopping_ = false;
    std::jthread thread_; // last: it ends before the members it uses
};

} // namespace

RawFileType DecideRawType(SectorReader& reader, const std::string& device,
                          const RawCandidate& candidate) {
    // A ZIP stays a ZIP: the offsets of the check are those of a compound
    // file's directory.
    if (candidate.kind == RawStartKind::Zip) {
        return candidate.type;
    }
    std::vector<std::byte> first(kTypeCheckSectors * kSectorSize);
    reader.ReadSectors(device, candidate.start, kTypeCheckSectors, first);
    return CheckRawType(first, candidate.type);
}

namespace {

// The compound file's own length, 0 when its structure does not give one.
std::uint64_t CompoundLength(const RawWriter& w, const RawCandidate& c) {
    if (c.kind != RawStartKind::Compound || c.start >= w.deviceSectors) {
        return 0;
    }
    std::vector<std::byte> header(kSectorSize);
    w.reader.ReadSectors(w.device, c.start, 1, header);
    const std::uint64_t limit = (w.deviceSectors - c.start) * kSectorSize;
    return CompoundFileSize(header, limit, [&](std::uint32_t index, std::span<std::byte> out) {
        // The header occupies the first sector of the file's sector size.
        const std::uint64_t per = out.size() / kSectorSize;
        const std::uint64_t first = c.start + per * (static_cast<std::uint64_t>(index) + 1);
        return first + per <= w.deviceSectors &&
               w.reader.ReadSectors(w.device, first, static_cast<std::uint32_t>(per), out) != 0;
    });
}

// The sectors past the copy rule that are searched for a ZIP end record and
// its longest comment.
constexpr std::uint64_t kZipTailSectors = (22 + 65535 + kSectorSize - 1) / kSectorSize;

} // namespace

RawFileRecord WriteRawFile(const RawWriter& w, const RawCandidate& c, RawFileType type,
                           std::stop_token stop) {
    RawFileRecord record;
    record.number = c.number;
    record.firstSector = c.start;
    record.endSector = c.end;
    record.type = type;
    Destination::Created created = w.destination.Create(RawFileName(type, c.number));
    record.name = created.name;
    if (!created.file) {
        record.result = RawWriteResult::Failed;
        record.error = "cannot create " + created.name + ": " + created.error;
        return record;
    }
    const std::uint64_t structural = CompoundLength(w, c);
    const std::uint64_t structuralSectors = (structural + kSectorSize - 1) / kSectorSize;
    const bool exactCompound = w.exactSize && structural > 0;
    const bool zip = type == RawFileType::Zip;
    const bool exactZip = w.exactSize && zip;
    RawCopyPlan plan =
        exactCompound ? RawCopyPlan::Exactly(c.start, structuralSectors)
                      : RawCopyPlan(c.start, c.end, type != RawFileType::Zip, structuralSectors);
    record.sizeFromStructure = structural > 0;

    ZipEndFinder zipEnd;
    std::vector<std::byte> buffer(kRawRunSectors * kSectorSize);
    std::vector<std::byte> tail; // read past the copy rule, written once an end is found
    std::uint64_t tailSectors = 0;
    std::string error;
    const auto fail = [&](std::string why) {
        record.result = RawWriteResult::Failed;
        record.error = record.name + ": " + why;
        std::string ignored;
        created.file->Close(ignored);
        return record;
    };
    const auto write = [&](std::span<const std::byte> bytes) {
        if (!created.file->Write(bytes, error)) {
            return false;
        }
        record.bytes += bytes.size();
        return true;
    };

    RawRun run;
    std::uint64_t next = c.start;
    bool inRule = true;
    for (;;) {
        if (inRule && !plan.Next(run)) {
            inRule = false;
        }
        if (!inRule) {
            // A ZIP whose end record or comment runs past the copy rule: read
            // on a little, and keep what was read only if the archive ends.
            if (!zip || (zipEnd.End() && record.bytes + tail.size() >= *zipEnd.End()) ||
                tailSectors >= kZipTailSectors) {
                break;
            }
            run = {next, static_cast<std::uint32_t>(std::min<std::uint64_t>(
                             kRawRunSectors, kZipTailSectors - tailSectors))};
            tailSectors += run.sectors;
        }
        if (stop.stop_requested()) {
            std::string ignored;
            created.file->Close(ignored);
            w.destination.Remove(created.name);
            record.result = RawWriteResult::Stopped;
            return record;
        }
        // Nothing is made up past the end of the disk.
        if (run.first >= w.deviceSectors) {
            break;
        }
        const auto sectors = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(run.sectors, w.deviceSectors - run.first));
        std::span<std::byte> bytes(buffer.data(), std::size_t{sectors} * kSectorSize);
        w.reader.ReadSectors(w.device, run.first, sectors, bytes);
        next = run.first + sectors;
        std::uint64_t keep = bytes.size();
        if (exactCompound) {
            keep = std::min<std::uint64_t>(keep, structural - record.bytes);
        }
        if (zip) {
            zipEnd.Feed(bytes);
            const std::uint64_t have = record.bytes + tail.size();
            if (zipEnd.End() && (exactZip || !inRule)) {
                keep =
                    *zipEnd.End() > have ? std::min<std::uint64_t>(keep, *zipEnd.End() - have) : 0;
            }
        }
        const std::span<const std::byte> kept(bytes.data(), static_cast<std::size_t>(keep));
        if (!inRule) {
            tail.insert(tail.end(), kept.begin(), kept.end());
            if (zipEnd.End() && !write(tail)) {
                return fail(error);
            }
            if (zipEnd.End()) {
                tail.clear();
            }
            continue;
        }
        if (!write(kept)) {
            return fail(error);
        }
        if (exactZip && zipEnd.End() && record.bytes >= *zipEnd.End()) {
            break;
        }
    }
    if (zip) {
        record.sizeFromStructure = zipEnd.End().has_value();
    }
    if (!created.file->Close(error)) {
        return fail(error);
    }
    return record;
}

RawRunOutcome RunRawRecovery(RawRunContext& context, const RawRunSettings& settings,
                             std::stop_token stop) {
    ProgressSink& progress = context.progress;
    const std::uint64_t deviceSectors = context.reader.DeviceSectors(context.device);
    RawTotals totals(context.rawResultList, settings.types);
    RawWriter writer{context.reader, context.device, deviceSectors, context.destination,
                     settings.exactSize};
    RawWindowCarver carver(settings.end);

    const auto handle = [&](const RawCandidate& candidate) {
        if (stop.stop_requested()) {
            return;
        }
        const RawFileType type = DecideRawType(context.reader, context.device, candidate);
        if (!settings.types[static_cast<std::size_t>(type)]) {
            return;
        }
        const RawFileRecord record = WriteRawFile(writer, candidate, type, stop);
        if (record.result == RawWriteResult::Stopped) {
            return;
        }
        totals.Count(type, record.result == RawWriteResult::Written);
        if (context.observer != nullptr) {
            context.observer->FileDone(record);
        }
    };

    progress.ShowProgress(true);
    std::uint64_t lastRead = settings.start;
    PercentProgress percent(progress, " % Completed");
    {
        WindowPrefetch windows(context.reader, context.device, deviceSectors, settings.start,
                               settings.end);
        std::uint64_t w = 0;
        std::span<const std::byte> window;
        while (!stop.stop_requested() && windows.Next(w, window)) {
            progress.SetStatus(RawSectorStatus(w));
            const std::uint64_t p = w + kRawWindowSectors;
            lastRead = std::min(p, std::max<std::uint64_t>(deviceSectors, w + 1)) - 1;
            carver.Window(w, window, handle);
            // Of the range, not of the disk: a range far into the disk starts at 0 %.
            percent.Report(std::min(p, settings.end) - settings.start,
                           settings.end - settings.start);
        }
    }
    RawRunOutcome outcome;
    if (!stop.stop_requested()) {
        // A file still open at the end of the range ends at the last sector read.
        carver.Finish(lastRead, handle);
    }
    outcome = totals.outcome;
    outcome.candidates = carver.Candidates();
    outcome.stopped = stop.stop_requested();
    if (!outcome.stopped) {
        progress.SetProgress(100, "0 % Completed");
    }
    return outcome;
}

} // namespace quorvane
