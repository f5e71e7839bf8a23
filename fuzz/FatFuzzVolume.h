#pragma once

#include "engine/session/RecoverySession.h"
#include "fuzz/FuzzDisk.h"
#include "platform/MemoryBlockDevice.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace quorvane::fuzz {

// A session over a 1 MiB disk whose sectors repeat the input, with a FAT
// geometry taken from the input's first bytes, so that the fuzzer steers the
// layout too. The disk is built in memory once per input: reads are copies.
struct FatFuzzVolume {
    static constexpr std::uint64_t kDiskBytes = 1u << 20; // 2048 sectors

    // One buffer for every input: a fresh megabyte per run would cost more
    // than the run itself.
    static std::vector<std::byte>& Repeat(const std::uint8_t* data, std::size_t size) {
        static std::vector<std::byte> bytes(kDiskBytes);
        if (size == 0) {
            std::fill(bytes.begin(), bytes.end(), std::byte{0});
            return bytes;
        }
        // The input once, then the filled part doubled until the disk is full.
        std::size_t filled = std::min<std::size_t>(size, bytes.size());
        std::memcpy(bytes.data(), data, filled);
        while (filled < bytes.size()) {
            const std::size_t n = std::min(filled, bytes.size() - filled);
            std::memcpy(bytes.data() + filled, bytes.data(), n);
            filled += n;
        }
        return bytes;
    }

    FatFuzzVolume(const std::uint8_t* data, std::size_t size)
        : disk(Repeat(data, size)),
          session((opener.Map(DeviceNameTable::NameOf(0), disk), opener), questions) {
        auto byte = [&](std::size_t i) -> std::uint8_t { return i < size ? data[i] : 0; };
        static constexpr FileSystemKind kTypes[] = {FileSystemKind::Fat12, FileSystemKind::Fat16,
                                                    FileSystemKind::Fat32};
        CurrentVolume& v = session.Current;
        v.FileSystem = kTypes[byte(0) % 3];
        v.SPC = std::uint64_t{1} << (byte(1) % 8);
        v.SPF = 1 + byte(2);
        v.FirstFAT = byte(3) % 64;
        v.SecondFAT = v.FirstFAT + v.SPF;
        v.RootStart = byte(4);
        v.RootSectors = byte(5) % 40;
        v.Cluster0Start = byte(6) * 4u;
        v.ToParams(session.Volume);
        session.Selected.fileSystem = v.FileSystem;
        cluster = MakeDwordLE(byte(7), byte(8), byte(9), byte(10));
    }

    static std::uint32_t MakeDwordLE(std::uint8_t a, std::uint8_t b, std::uint8_t c,
                                     std::uint8_t d) {
        return static_cast<std::uint32_t>(a) | (static_cast<std::uint32_t>(b) << 8) |
               (static_cast<std::uint32_t>(c) << 16) | (static_cast<std::uint32_t>(d) << 24);
    }

    std::vector<std::byte>& disk;
    platform::MemoryDeviceOpener opener;
    SkipAllQuestions questions;
    RecoverySession session;
    std::uint32_t cluster = 0;
};

} // namespace quorvane::fuzz
