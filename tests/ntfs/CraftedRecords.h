#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::test {

// Little-endian writes into a byte buffer.
inline void PutLe(std::span<std::byte> bytes, std::size_t offset, std::uint64_t value,
                  std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        bytes[offset + i] = static_cast<std::byte>((value >> (8 * i)) & 0xFF);
    }
}
inline void PutText(std::span<std::byte> bytes, std::size_t offset, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[offset + i] = static_cast<std::byte>(text[i]);
    }
}
inline std::vector<std::byte> Bytes(std::initializer_list<int> values) {
    std::vector<std::byte> out;
    for (const int v : values) {
        out.push_back(static_cast<std::byte>(v));
    }
    return out;
}

// A file-name content (the key of an index entry has the same form).
inline std::vector<std::byte> FileNameContent(std::uint64_t parent, std::u16string_view name,
                                              std::uint8_t nameSpace, std::int64_t created,
                                              std::uint32_t fileFlags = 0) {
    std::vector<std::byte> c(0x42 + 2 * name.size());
    PutLe(c, 0x00, parent, 8);
    PutLe(c, 0x08, static_cast<std::uint64_t>(created), 8);
    PutLe(c, 0x38, fileFlags, 4);
    PutLe(c, 0x40, name.size(), 1);
    PutLe(c, 0x41, nameSpace, 1);
    for (std::size_t i = 0; i < name.size(); ++i) {
        PutLe(c, 0x42 + 2 * i, name[i], 2);
    }
    return c;
}

// A 1024-byte FILE record built attribute by attribute, the way mkntfs lays
// one out: update sequence array at 0x30 (count 3), first attribute at 0x38.
class CraftedRecord {
public:
    std::array<std::byte, 1024> bytes{};

    explicit CraftedRecord(std::uint8_t flags = 0x01) {
        PutText(bytes, 0, "FILE");
        PutLe(bytes, 0x04, 0x30, 2);
        PutLe(bytes, 0x06, 3, 2);
        PutLe(bytes, 0x10, 1, 2);
        PutLe(bytes, 0x14, 0x38, 2);
        PutLe(bytes, 0x16, flags, 2);
        PutLe(bytes, 0x1C, 1024, 4);
        End();
    }

    std::span<const std::byte> View() const { return bytes; }

    // A resident attribute with its name at 0x18 and content after it.
    std::size_t Resident(std::uint32_t type, std::span<const std::byte> content,
                         std::u16string_view name = u"") {
        const std::size_t contentAt = Align(0x18 + 2 * name.size());
        const std::size_t length = Align(contentAt + content.size());
        const std::size_t at = Header(type, length, 0, name, 0x18);
        PutLe(bytes, at + 0x10, content.size(), 4);
        PutLe(bytes, at + 0x14, contentAt, 2);
        Copy(at + contentAt, content);
        return Finish(at, length);
    }

    // A non-resident attribute with its name at 0x40 and the runs after it.
    std::size_t NonResident(std::uint32_t type, std::span<const std::byte> runs,
                            std::uint64_t realSize, std::u16string_view name = u"") {
        const std::size_t runsAt = Align(0x40 + 2 * name.size());
        const std::size_t length = Align(runsAt + runs.size() + 1);
        const std::size_t at = Header(type, length, 1, name, 0x40);
        PutLe(bytes, at + 0x20, runsAt, 2);
        PutLe(bytes, at + 0x30, realSize, 8);
        PutLe(bytes, at + 0x38, realSize, 8);
        Copy(at + runsAt, runs);
        return Finish(at, length);
    }

    std::size_t FileName(std::uint64_t parent, std::u16string_view name, std::uint8_t nameSpace,
                         std::int64_t created = 0) {
        return Resident(0x30, FileNameContent(parent, name, nameSpace, created));
    }

    // An index root $I30 whose first entry names a child of folder `self`
    // (or holds only the end entry when the name is empty).
    std::size_t IndexRoot(std::uint64_t self, std::u16string_view childName) {
        std::vector<std::byte> content(0x20);
        PutLe(content, 0x00, 0x30, 4); // indexed attribute: file name
        PutLe(content, 0x08, 4096, 4); // index record size
        PutLe(content, 0x10, 0x10, 4); // first entry, from the index header
        std::vector<std::byte> entries;
        if (!childName.empty()) {
            const auto key = FileNameContent(self, childName, 1, 0);
            std::vector<std::byte> entry(Align(0x10 + key.size()));
            PutLe(entry, 0x00, 64, 8);
            PutLe(entry, 0x08, entry.size(), 2);
            PutLe(entry, 0x0A, key.size(), 2);
            std::copy(key.begin(), key.end(), entry.begin() + 0x10);
            entries.insert(entries.end(), entry.begin(), entry.end());
        }
        std::vector<std::byte> last(0x10);
        PutLe(last, 0x08, 0x10, 2);
        PutLe(last, 0x0C, 0x02, 2);
        entries.insert(entries.end(), last.begin(), last.end());
        content.insert(content.end(), entries.begin(), entries.end());
        return Resident(0x90, content, u"$I30");
    }

    void Put(std::size_t offset, std::uint64_t value, std::size_t width) {
        PutLe(bytes, offset, value, width);
    }

    // Writes `usn` into the sector tails and saves the bytes they held in the
    // update sequence array, as a write of the record to disk does.
    void Protect(std::uint16_t usn) {
        PutLe(bytes, 0x30, usn, 2);
        for (std::size_t i = 0; i < 2; ++i) {
            const std::size_t tail = 510 + 512 * i;
            bytes[0x32 + 2 * i] = bytes[tail];
            bytes[0x33 + 2 * i] = bytes[tail + 1];
            PutLe(bytes, tail, usn, 2);
        }
    }

private:
    std::size_t cursor_ = 0x38;

    static std::size_t Align(std::size_t n) { return (n + 7) / 8 * 8; }

    std::size_t Header(std::uint32_t type, std::size_t length, std::uint8_t nonResident,
                       std::u16string_view name, std::size_t nameAt) {
        const std::size_t at = cursor_;
        PutLe(bytes, at, type, 4);
        PutLe(bytes, at + 0x04, length, 4);
        PutLe(bytes, at + 0x08, nonResident, 1);
        PutLe(bytes, at + 0x09, name.size(), 1);
        PutLe(bytes, at + 0x0A, nameAt, 2);
        for (std::size_t i = 0; i < name.size(); ++i) {
            PutLe(bytes, at + nameAt + 2 * i, name[i], 2);
        }
        return at;
    }
    void Copy(std::size_t at, std::span<const std::byte> data) {
        std::copy(data.begin(), data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    }
    std::size_t Finish(std::size_t at, std::size_t length) {
        cursor_ = at + length;
        End();
        return at;
    }
    void End() {
        PutLe(bytes, cursor_, 0xFFFFFFFF, 4);
        PutLe(bytes, 0x18, cursor_ + 8, 4);
    }
};

} // namespace quorvane::test
