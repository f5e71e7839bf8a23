#include "engine/output/Destination.h"

namespace quorvane {

namespace {

constexpr std::size_t kLongestName = 255;

// Cuts `text` to at most `limit` bytes, backing off to a UTF-8 lead byte.
std::string CutUtf8(std::string text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t n = limit;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) {
        --n;
    }
    text.resize(n);
    return text;
}

} // namespace

std::string SafePathComponent(std::string_view name) {
    std::string safe;
    safe.reserve(name.size());
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        safe.push_back(u < 0x20 || u == 0x7F || c == '/' || c == '\\' ? '_' : c);
    }
    if (safe.empty() || safe == "." || safe == "..") {
        return "_";
    }
    if (safe.size() > kLongestName) {
        const std::size_t dot = safe.rfind('.');
        const std::size_t extLength = dot == std::string::npos ? 0 : safe.size() - dot;
        if (dot != std::string::npos && dot > 0 && extLength <= 16) {
            safe = CutUtf8(safe.substr(0, dot), kLongestName - extLength) + safe.substr(dot);
        } else {
            safe = CutUtf8(safe, kLongestName);
        }
    }
    return safe;
}

DestinationOpen Destination::Open(const std::string& path, const std::string& sourcePath,
                                  const platform::SystemPaths& paths) {
    DestinationOpen result;
    if (path.empty()) {
        result.error = DestinationError::NoPath;
        return result;
    }
    if (!sourcePath.empty() && platform::SameFile(path, sourcePath)) {
        result.error = DestinationError::OnSourceDisk;
        result.detail = path + ": is the disk being recovered";
        return result;
    }
    std::string error;
    auto folder = platform::OutputFolder::Open(path, true, error);
    if (!folder) {
        result.error = DestinationError::CannotCreate;
        result.detail = error;
        return result;
    }
    if (!folder->ProbeWritable(error)) {
        result.error = DestinationError::NotWritable;
        result.detail = path + ": " + error;
        return result;
    }
    if (!sourcePath.empty()) {
        if (const std::string conflict = platform::SourceConflict(*folder, sourcePath, paths);
            !conflict.empty()) {
            result.error = DestinationError::OnSourceDisk;
            result.detail = path + ": " + conflict;
            return result;
        }
    }
    result.destination.reset(new Destination(std::move(folder)));
    return result;
}

Destination::Created Destination::Create(std::string_view name) {
    Created created;
    const std::string safe = SafePathComponent(name);
    const std::size_t dot = safe.rfind('.');
    const bool hasExt = dot != std::string::npos && dot > 0;
    const std::string stem = hasExt ? safe.substr(0, dot) : safe;
    const std::string ext = hasExt ? safe.substr(dot) : std::string();
    // A bounded number of alternatives: a folder that already holds this
    // many copies of one name gets no more.
    constexpr int kMostCopies = 10000;
    for (int copy = 1; copy <= kMostCopies; ++copy) {
        const std::string candidate =
            copy == 1 ? safe
                      : SafePathComponent(CutUtf8(stem, kLongestName - ext.size() - 6) + "_" +
                                          std::to_string(copy) + ext);
        bool exists = false;
        created.file = folder_->CreateNew(candidate, exists, created.error);
        if (created.file) {
            created.name = candidate;
            created.error.clear();
            return created;
        }
        if (!exists) {
            created.name = candidate;
            return created;
        }
    }
    created.name = safe;
    created.error = "every alternative name is taken";
    return created;
}

} // namespace quorvane
