#include "engine/log/RecoveryLogFile.h"

#include "engine/core/ByteView.h"
#include "engine/core/PercentProgress.h"

namespace quorvane {

namespace {

// The smallest records: a folder record with an empty name, a file record
// with an empty name. A count is believed only when the bytes left could
// hold that many of them.
constexpr std::size_t kMinFolderRecord = 4 + kLogFolderFixedBytes;
constexpr std::size_t kMinFileRecord = 4 + 4 + 4 + 4 + 8 + 4 + 4;
// How many records are decoded between two looks at the stop request.
constexpr std::size_t kRecordsPerCheck = 4096;

class LogWriter {
public:
    void U8(std::uint8_t v) { bytes_.push_back(static_cast<std::byte>(v)); }
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            U8(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }
    void U64(std::uint64_t v) {
        U32(static_cast<std::uint32_t>(v));
        U32(static_cast<std::uint32_t>(v >> 32));
    }
    void Text(std::string_view text) {
        for (const char c : text) {
            U8(static_cast<std::uint8_t>(c));
        }
    }
    void Len1Text(std::string_view text) {
        text = text.substr(0, 255);
        U8(static_cast<std::uint8_t>(text.size()));
        Text(text);
    }
    void Len4Text(std::string_view text) {
        U32(static_cast<std::uint32_t>(text.size()));
        Text(text);
    }
    std::vector<std::byte> Take() { return std::move(bytes_); }

private:
    std::vector<std::byte> bytes_;
};

// Reads fields in order; the first that does not fit makes the reader fail,
// and every later read fails with it.
class LogReader {
public:
    explicit LogReader(std::span<const std::byte> bytes) : view_(bytes) {}

    bool Ok() const { return ok_; }
    std::size_t Offset() const { return offset_; }
    std::size_t Left() const { return ok_ ? view_.size() - offset_ : 0; }

    bool Skip(std::size_t n) {
        if (!Take(n)) {
            return false;
        }
        offset_ += n;
        return true;
    }
    bool Matches(std::string_view text) {
        if (!ok_ || !view_.Matches(offset_, text)) {
            ok_ = false;
            return false;
        }
        offset_ += text.size();
        return true;
    }
    std::uint8_t U8() {
        return Read(1, [&] { return view_.U8(offset_); });
    }
    std::uint32_t U32() {
        return Read(4, [&] { return view_.U32(offset_); });
    }
    std::uint64_t U64() {
        return Read(8, [&] { return view_.U64(offset_); });
    }
    std::string Text(std::size_t n) {
        if (!Take(n)) {
            return {};
        }
        std::string text(n, '\0');
        for (std::size_t i = 0; i < n; ++i) {
            text[i] = static_cast<char>(view_.U8(offset_ + i));
        }
        offset_ += n;
        return text;
    }
    std::string Len1Text() { return Text(U8()); }
    // Fails a length over `limit`.
    bool Within(std::uint64_t value, std::uint64_t limit) {
        if (value > limit) {
            ok_ = false;
        }
        return ok_;
    }

private:
    bool Take(std::size_t n) {
        if (!ok_ || !view_.Has(offset_, n)) {
            ok_ = false;
        }
        return ok_;
    }
    template <typename Get> auto Read(std::size_t n, Get get) -> decltype(get()) {
        if (!Take(n)) {
            return 0;
        }
        const auto value = get();
        offset_ += n;
        return value;
    }

    ByteView view_;
    std::size_t offset_ = 0;
    bool ok_ = true;
};

} // namespace

std::string_view CutLogName(std::string_view name) {
    if (name.size() <= kMaxLogName) {
        return name;
    }
    std::size_t end = kMaxLogName;
    // Back off over continuation bytes (10xxxxxx) to the start of a character.
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) {
        --end;
    }
    return name.substr(0, end);
}

std::vector<std::byte> EncodeRecoveryLog(const RecoveryLogContent& log) {
    LogWriter w;
    w.Text(kLogProductName);
    w.Len4Text(log.model);
    w.U8(log.searchMode);
    w.U8(log.diskNumber);
    w.U8(log.partitionDisk);
    w.U8(log.partitionIndex);
    w.Len1Text(log.partitionFileSystem);
    w.Len1Text(log.searchModeText);
    w.U64(log.firstSector);
    w.U64(log.lastSector);
    for (const std::uint32_t v : log.volumeParams) {
        w.U32(v);
    }
    for (const std::uint32_t v : log.currentVolume) {
        w.U32(v);
    }
    w.Len1Text(log.fileSystem);
    w.U32(static_cast<std::uint32_t>(log.folders.size()));
    for (const LogFolder& f : log.folders) {
        const std::string_view name = CutLogName(f.name);
        w.U32(static_cast<std::uint32_t>(name.size()) + kLogFolderFixedBytes);
        w.Text(name);
        w.U32(f.number);
        w.U32(f.parent);
        w.U64(static_cast<std::uint64_t>(f.date));
        w.U64(static_cast<std::uint64_t>(f.time));
        w.U8(f.deleted ? 1 : 0);
    }
    if (log.HasFileSection()) {
        w.U32(static_cast<std::uint32_t>(log.files.size()));
        for (const LogFile& f : log.files) {
            w.Len4Text(CutLogName(f.name));
            w.U32(f.sector);
            w.U32(f.self);
            w.U32(f.parent);
            w.U64(static_cast<std::uint64_t>(f.time));
            w.U32(f.size);
            w.U32(f.deleted);
        }
    }
    return w.Take();
}

std::optional<std::string> ReadLogModel(std::span<const std::byte> bytes) {
    LogReader r(bytes);
    r.Matches(kLogProductName);
    const std::uint32_t length = r.U32();
    std::string model = r.Text(length);
    if (!r.Ok()) {
        return std::nullopt;
    }
    return model;
}

LogDecodeStatus DecodeRecoveryLog(std::span<const std::byte> bytes, RecoveryLogContent& out,
                                  ProgressSink& progress, std::stop_token stop) {
    LogReader r(bytes);
    RecoveryLogContent log;
    r.Matches(kLogProductName);
    log.model = r.Text(r.U32());
    log.searchMode = r.U8();
    log.diskNumber = r.U8();
    log.partitionDisk = r.U8();
    log.partitionIndex = r.U8();
    log.partitionFileSystem = r.Len1Text();
    log.searchModeText = r.Len1Text();
    log.firstSector = r.U64();
    log.lastSector = r.U64();
    for (std::uint32_t& v : log.volumeParams) {
        v = r.U32();
    }
    for (std::uint32_t& v : log.currentVolume) {
        v = r.U32();
    }
    log.fileSystem = r.Len1Text();

    PercentProgress percent(progress);
    std::size_t sinceCheck = 0;
    const auto between = [&] {
        if (++sinceCheck < kRecordsPerCheck) {
            return true;
        }
        sinceCheck = 0;
        percent.Report(r.Offset(), bytes.size());
        return !stop.stop_requested();
    };

    const std::uint32_t folders = r.U32();
    if (!r.Within(folders, r.Left() / kMinFolderRecord)) {
        return LogDecodeStatus::ErrorInFile;
    }
    log.folders.reserve(folders);
    for (std::uint32_t i = 0; i < folders && r.Ok(); ++i) {
        const std::uint32_t length = r.U32();
        if (!r.Within(length, kMaxLogName + kLogFolderFixedBytes) ||
            !r.Within(kLogFolderFixedBytes, length)) {
            break;
        }
        LogFolder& f = log.folders.emplace_back();
        f.name = r.Text(length - kLogFolderFixedBytes);
        f.number = r.U32();
        f.parent = r.U32();
        f.date = static_cast<std::int64_t>(r.U64());
        f.time = static_cast<std::int64_t>(r.U64());
        f.deleted = r.U8() == 1;
        if (!between()) {
            return LogDecodeStatus::Stopped;
        }
    }
    if (log.HasFileSection() && r.Ok()) {
        const std::uint32_t files = r.U32();
        if (!r.Within(files, r.Left() / kMinFileRecord)) {
            return LogDecodeStatus::ErrorInFile;
        }
        log.files.reserve(files);
        for (std::uint32_t i = 0; i < files && r.Ok(); ++i) {
            const std::uint32_t length = r.U32();
            if (!r.Within(length, kMaxLogName)) {
                break;
            }
            LogFile& f = log.files.emplace_back();
            f.name = r.Text(length);
            f.sector = r.U32();
            f.self = r.U32();
            f.parent = r.U32();
            f.time = static_cast<std::int64_t>(r.U64());
            f.size = r.U32();
            f.deleted = r.U32();
            if (!between()) {
                return LogDecodeStatus::Stopped;
            }
        }
    }
    if (!r.Ok()) {
        return LogDecodeStatus::ErrorInFile;
    }
    percent.Force(100);
    out = std::move(log);
    return LogDecodeStatus::Ok;
}

} // namespace quorvane
