// The byte layout of the recovery log, byte by byte, and the decoder on every
// damaged form of it: cut short anywhere, lengths and counts beyond the file
// or the buffers.
#include "engine/log/RecoveryLogFile.h"

#include <gtest/gtest.h>

#include <cstring>

namespace quorvane {
namespace {

std::vector<std::byte> Bytes(std::string_view text) {
    std::vector<std::byte> out(text.size());
    std::memcpy(out.data(), text.data(), text.size());
    return out;
}

void Put32(std::vector<std::byte>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.at(at + i) = static_cast<std::byte>(v >> (8 * i));
    }
}

std::uint32_t Get32(const std::vector<std::byte>& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        v |= static_cast<std::uint32_t>(b.at(at + i)) << (8 * i);
    }
    return v;
}

RecoveryLogContent FatLog() {
    RecoveryLogContent log;
    log.model = "disk.img";
    log.searchMode = 2;
    log.diskNumber = 3;
    log.partitionDisk = 3;
    log.partitionIndex = 1;
    log.partitionFileSystem = "FAT32";
    log.searchModeText = "Professional Search";
    log.firstSector = 0x1122334455667788u;
    log.lastSector = 2047;
    for (std::uint32_t i = 0; i < 12; ++i) {
        log.volumeParams[i] = 0x01010101u * (i + 1);
        log.currentVolume[i] = 0x10000000u + i;
    }
    log.fileSystem = "FAT32";
    log.folders.push_back({"Lost", 268435455, 0, 0, 0, false});
    log.folders.push_back({"Dir1", 7, 0, 0x5A21, 0x6B3C, true});
    return log;
}

RecoveryLogContent NtfsLog() {
    RecoveryLogContent log = FatLog();
    log.partitionFileSystem = "NTFS";
    log.fileSystem = "NTFS";
    log.files.push_back({"report.docx", 4096, 64, 5, -3, 123456, 0});
    log.files.push_back({"gone.txt", 5000, 65, 268435455, 132000000000000000, 9, 1});
    return log;
}

SilentProgress quiet;

LogDecodeStatus Decode(const std::vector<std::byte>& bytes, RecoveryLogContent& out) {
    return DecodeRecoveryLog(bytes, out, quiet);
}

TEST(RecoveryLogFile, LayoutFieldByField) {
    const std::vector<std::byte> b = EncodeRecoveryLog(FatLog());
    std::size_t at = 0;
    const auto text = [&](std::string_view expected) {
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + at), expected.size()),
                  expected)
            << "at " << at;
        at += expected.size();
    };
    const auto u8 = [&](std::uint8_t expected) {
        EXPECT_EQ(static_cast<std::uint8_t>(b.at(at)), expected) << "at " << at;
        ++at;
    };
    const auto u32 = [&](std::uint32_t expected) {
        EXPECT_EQ(Get32(b, at), expected) << "at " << at;
        at += 4;
    };
    text("Quorvane"); // no terminator
    u32(8);
    text("disk.img");
    u8(2); // search mode
    u8(3); // disk number
    u8(3); // the partition's disk
    u8(1); // the partition's index
    u8(5);
    text("FAT32");
    u8(19);
    text("Professional Search");
    u32(0x55667788u); // 64-bit first sector, low half first
    u32(0x11223344u);
    u32(2047);
    u32(0);
    for (std::uint32_t i = 0; i < 12; ++i) {
        u32(0x01010101u * (i + 1));
    }
    for (std::uint32_t i = 0; i < 12; ++i) {
        u32(0x10000000u + i);
    }
    u8(5);
    text("FAT32");
    u32(2); // folder count
    const std::size_t folders = at;
    u32(29); // "Lost": R = N + 25
    text("Lost");
    u32(268435455);
    u32(0);
    at += 17;
    // A folder record for a four-letter name such as Dir1 has R = 29 and takes 33 bytes.
    const std::size_t dir1 = at;
    u32(29);
    text("Dir1");
    u32(7);
    u32(0);
    u32(0x5A21); // the date word, 64-bit
    u32(0);
    u32(0x6B3C);
    u32(0);
    u8(1); // deleted
    EXPECT_EQ(at - dir1, 33u);
    EXPECT_EQ(dir1 - folders, 33u);
    // A FAT32 log ends with its folder records: no file section.
    EXPECT_EQ(at, b.size());
}

TEST(RecoveryLogFile, NtfsLogEndsWithItsFileSection) {
    RecoveryLogContent log = NtfsLog();
    const std::vector<std::byte> withFiles = EncodeRecoveryLog(log);
    log.files.clear();
    const std::vector<std::byte> none = EncodeRecoveryLog(log);
    // The count may be 0: the log then ends with four zero bytes.
    ASSERT_GE(none.size(), 4u);
    EXPECT_EQ(Get32(none, none.size() - 4), 0u);
    // Each file record: len4 name, sector, own and parent numbers, a signed
    // 64-bit time, size and the deleted value.
    std::size_t at = none.size() - 4;
    EXPECT_EQ(Get32(withFiles, at), 2u);
    at += 4;
    EXPECT_EQ(Get32(withFiles, at), 11u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(withFiles.data() + at + 4), 11),
              "report.docx");
    at += 4 + 11;
    EXPECT_EQ(Get32(withFiles, at), 4096u);
    EXPECT_EQ(Get32(withFiles, at + 4), 64u);
    EXPECT_EQ(Get32(withFiles, at + 8), 5u);
    EXPECT_EQ(Get32(withFiles, at + 12), 0xFFFFFFFDu); // -3
    EXPECT_EQ(Get32(withFiles, at + 16), 0xFFFFFFFFu);
    EXPECT_EQ(Get32(withFiles, at + 20), 123456u);
    EXPECT_EQ(Get32(withFiles, at + 24), 0u);
    EXPECT_EQ(withFiles.size(), none.size() + (4 + 11 + 28) + (4 + 8 + 28));
}

TEST(RecoveryLogFile, DecodesWhatItEncodes) {
    for (const RecoveryLogContent& log : {FatLog(), NtfsLog()}) {
        RecoveryLogContent back;
        ASSERT_EQ(Decode(EncodeRecoveryLog(log), back), LogDecodeStatus::Ok);
        EXPECT_EQ(back, log);
        EXPECT_EQ(ReadLogModel(EncodeRecoveryLog(log)), std::optional<std::string>("disk.img"));
    }
    // Bytes after the last record are not read.
    std::vector<std::byte> longer = EncodeRecoveryLog(FatLog());
    longer.push_back(std::byte{0x42});
    RecoveryLogContent back;
    EXPECT_EQ(Decode(longer, back), LogDecodeStatus::Ok);
    EXPECT_EQ(back, FatLog());
}

TEST(RecoveryLogFile, EveryShorterFileIsAnErrorAndLeavesTheOutputAlone) {
    for (const RecoveryLogContent& log : {FatLog(), NtfsLog()}) {
        const std::vector<std::byte> whole = EncodeRecoveryLog(log);
        for (std::size_t n = 0; n < whole.size(); ++n) {
            const std::vector<std::byte> cut(whole.begin(), whole.begin() + n);
            RecoveryLogContent out;
            out.model = "untouched";
            ASSERT_EQ(Decode(cut, out), LogDecodeStatus::ErrorInFile) << n << " bytes";
            ASSERT_EQ(out.model, "untouched") << n << " bytes";
        }
    }
}

// Offsets of fields in NtfsLog()'s bytes.
struct Offsets {
    std::size_t model = 8;
    std::size_t fsName = 8 + 4 + 8 + 4;
    std::size_t folderCount = 0;
    std::size_t firstFolder = 0;
    std::size_t fileCount = 0;
    std::size_t firstFile = 0;
};

Offsets NtfsOffsets(const std::vector<std::byte>& b) {
    Offsets o;
    o.folderCount = o.fsName + 1 + 4 + 1 + 19 + 16 + 96 + 1 + 4;
    o.firstFolder = o.folderCount + 4;
    o.fileCount = o.firstFolder + 2 * 33;
    o.firstFile = o.fileCount + 4;
    EXPECT_EQ(Get32(b, o.folderCount), 2u);
    EXPECT_EQ(Get32(b, o.fileCount), 2u);
    return o;
}

TEST(RecoveryLogFile, LengthsAndCountsBeyondTheFileOrTheBuffersAreErrors) {
    const std::vector<std::byte> good = EncodeRecoveryLog(NtfsLog());
    const Offsets o = NtfsOffsets(good);
    const struct {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    } cases[] = {
        {"model length past the end", o.model, 0xFFFFFFF0u},
        {"folder count the file cannot hold", o.folderCount, 0xFFFFFFFFu},
        {"folder count one too many", o.folderCount, 3},
        {"folder record shorter than its fixed part", o.firstFolder, 24},
        {"folder name over 255 bytes", o.firstFolder, 25 + 256},
        {"folder record past the end", o.firstFolder, 0x7FFFFFFFu},
        {"file count the file cannot hold", o.fileCount, 0x40000000u},
        {"file name over 255 bytes", o.firstFile, 256},
        {"file name past the end", o.firstFile, 200},
    };
    for (const auto& c : cases) {
        std::vector<std::byte> bad = good;
        Put32(bad, c.at, c.value);
        RecoveryLogContent out;
        EXPECT_EQ(Decode(bad, out), LogDecodeStatus::ErrorInFile) << c.what;
    }
    // A len1 text past the end, and a file that is not a log at all.
    std::vector<std::byte> bad = good;
    bad.resize(o.fsName + 3);
    bad[o.fsName] = std::byte{200};
    RecoveryLogContent out;
    EXPECT_EQ(Decode(bad, out), LogDecodeStatus::ErrorInFile);
    bad = good;
    bad[0] = std::byte{'q'};
    EXPECT_EQ(Decode(bad, out), LogDecodeStatus::ErrorInFile);
    EXPECT_FALSE(ReadLogModel(bad).has_value());
    EXPECT_FALSE(ReadLogModel(Bytes("Quorvane\x09\0\0\0disk.img")).has_value());
}

TEST(RecoveryLogFile, LongNamesAreCutAtACharacterSoTheLogStaysLoadable) {
    std::string name(254, 'a');
    name += "\xC3\xA9\xC3\xA9"; // two two-byte characters across the 255th byte
    EXPECT_EQ(CutLogName(name), std::string(254, 'a'));
    EXPECT_EQ(CutLogName(std::string(255, 'b')), std::string(255, 'b'));
    RecoveryLogContent log = NtfsLog();
    log.folders[1].name = name;
    log.files[0].name = std::string(300, 'c');
    RecoveryLogContent back;
    ASSERT_EQ(Decode(EncodeRecoveryLog(log), back), LogDecodeStatus::Ok);
    EXPECT_EQ(back.folders[1].name, std::string(254, 'a'));
    EXPECT_EQ(back.files[0].name, std::string(255, 'c'));
}

TEST(RecoveryLogFile, OnlyADeletedByteOfOneIsDeleted) {
    std::vector<std::byte> b = EncodeRecoveryLog(NtfsLog());
    const Offsets o = NtfsOffsets(b);
    b[o.firstFolder + 33 + 32] = std::byte{2}; // Dir1's deleted byte
    RecoveryLogContent back;
    ASSERT_EQ(Decode(b, back), LogDecodeStatus::Ok);
    EXPECT_FALSE(back.folders[1].deleted);
}

TEST(RecoveryLogFile, AStopEndsTheDecoding) {
    RecoveryLogContent log = FatLog();
    log.folders.resize(10000, log.folders[1]);
    std::stop_source source;
    source.request_stop();
    RecoveryLogContent out;
    EXPECT_EQ(DecodeRecoveryLog(EncodeRecoveryLog(log), out, quiet, source.get_token()),
              LogDecodeStatus::Stopped);
    EXPECT_TRUE(out.folders.empty());
}

} // namespace
} // namespace quorvane
