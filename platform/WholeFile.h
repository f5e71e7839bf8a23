#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform {

// Small files read and written whole (the recovery logs).

enum class WholeFileStatus {
    Ok,
    CannotOpen, // missing, not a plain file, no permission, or too large to read
    Failed,     // opened, but the read or write failed (the reason in `error`)
};

// True when something (a file, a folder, anything) exists at `path`.
bool PathExists(const std::string& path);

// The whole content of the plain file at `path`, opened for reading only. A
// FIFO or a device in its place is refused without waiting, and so is a file
// larger than `maxBytes`.
WholeFileStatus ReadWholeFile(const std::string& path, std::uint64_t maxBytes,
                              std::vector<std::byte>& out, std::string& error);

// Makes `bytes` the whole content of the file at `path`. A new file is made
// in place (and removed again when its write fails). An existing file must be
// a plain file that can be opened for writing; it is replaced only once the
// new content is complete on disk (a temporary file beside it, renamed over
// it, with the old file's permissions), so a failed write leaves it as it was.
WholeFileStatus WriteWholeFile(const std::string& path, std::span<const std::byte> bytes,
                               std::string& error);

} // namespace platform
