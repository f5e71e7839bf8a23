#pragma once

#include "engine/core/UserInterface.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The byte layout of a recovery log (*.WNF): little-endian, fields back to
// back without padding, texts without terminator.
//
//   8      the product name "Quorvane"
//   4 + M  the chosen disk's model text (32-bit length)
//   1 x 4  search mode, disk number, the partition's disk number and index
//   1 + n  the partition's file-system name ("FAT16", "FAT32", "NTFS")
//   1 + n  the search-mode text
//   8 + 8  the partition's first and last sector
//   48     VolumeParams, twelve 32-bit values
//   32+16  CurrentVolume: SPF, SPC, RootSectors, RootStart, ReserveSectors,
//          Cluster0Start, FirstFAT, SecondFAT, then MftSector, MftMirrorSector,
//          SectorsPerMftRecord, SectorsPerIndexRecord, each 32-bit
//   1 + n  CurrentVolume's file system
//   4      F, then F folder records:
//            4 R = N + 25, N name, 4 number, 4 parent, 8 date, 8 time, 1 deleted
//   NTFS only: 4 C, then C file records:
//            4 N, N name, 4 sector, 4 own number, 4 parent number,
//            8 time stamp (signed), 4 size, 4 deleted
//
// This file only turns the content into bytes and back; what goes into it and
// what a loaded log does to a session is RecoveryLog.h's.

inline constexpr std::string_view kLogProductName = "Quorvane";
// Names are read into 256-byte buffers: at most 255 bytes each.
inline constexpr std::size_t kMaxLogName = 255;
// The bytes of a folder record after its length field besides the name.
inline constexpr std::uint32_t kLogFolderFixedBytes = 25;

// One folder record: a TreeFolder.
struct LogFolder {
    std::string name;
    std::uint32_t number = 0; // own cluster (FAT) or MFT number (NTFS)
    std::uint32_t parent = 0;
    std::int64_t date = 0; // FAT: the raw date word; NTFS: the raw time stamp
    std::int64_t time = 0; // FAT: the raw time word
    bool deleted = false;  // written as 1 or 0; only a 1 reads as deleted

    bool operator==(const LogFolder&) const = default;
};

// One file record: a row of EntryTable2 (NTFS).
struct LogFile {
    std::string name;
    std::uint32_t sector = 0; // the sector of the file's MFT record
    std::uint32_t self = 0;
    std::uint32_t parent = 0;
    std::int64_t time = 0;
    std::uint32_t size = 0;
    std::uint32_t deleted = 0; // the Deleted cell as a number

    bool operator==(const LogFile&) const = default;
};

struct RecoveryLogContent {
    std::string model;
    std::uint8_t searchMode = 0;
    std::uint8_t diskNumber = 0;     // SelectedDiskNumber
    std::uint8_t partitionDisk = 0;  // the SelectedPartition's disk number
    std::uint8_t partitionIndex = 0; // the SelectedPartition's index
    std::string partitionFileSystem;
    std::string searchModeText;
    std::uint64_t firstSector = 0;
    std::uint64_t lastSector = 0;
    std::array<std::uint32_t, 12> volumeParams{};
    // The eight FAT values of CurrentVolume, then its four NTFS values.
    std::array<std::uint32_t, 12> currentVolume{};
    std::string fileSystem; // CurrentVolume's
    std::vector<LogFolder> folders;
    std::vector<LogFile> files; // the file section: only when fileSystem is "NTFS"

    bool HasFileSection() const { return fileSystem == "NTFS"; }
    bool operator==(const RecoveryLogContent&) const = default;
};

// `name` cut to at most kMaxLogName bytes, at the start of a UTF-8 character.
std::string_view CutLogName(std::string_view name);

// The bytes of a log. Names longer than kMaxLogName bytes and texts with a
// one-byte length longer than 255 bytes are cut (CutLogName); the file
// section is written only for NTFS.
std::vector<std::byte> EncodeRecoveryLog(const RecoveryLogContent& log);

enum class LogDecodeStatus { Ok, ErrorInFile, Stopped };

// The model text of a log, or nothing when the bytes do not begin with the
// product name and a model text that fits.
std::optional<std::string> ReadLogModel(std::span<const std::byte> bytes);

// Decodes a whole log into `out`, all or nothing: a file that does not begin
// with the product name, a length or count that runs past the end of the
// bytes or that the buffers cannot hold (a name over kMaxLogName bytes, a
// folder record shorter than its fixed part) gives ErrorInFile. No count is
// trusted before the bytes left could hold that many records, so what is
// allocated stays in proportion to the size of `bytes`. Bytes after the last
// record are not read. `stop` ends the decoding between two records.
LogDecodeStatus DecodeRecoveryLog(std::span<const std::byte> bytes, RecoveryLogContent& out,
                                  ProgressSink& progress, std::stop_token stop = {});

} // namespace quorvane
