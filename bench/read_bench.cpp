// Sequential reads of a whole disk image through the sector reader in
// 16-sector requests, the size the scans use. Prints bytes and seconds.
#include "engine/disk/SectorReader.h"
#include "platform/DeviceMap.h"

#include <chrono>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: read_bench IMAGE\n");
        return 2;
    }
    using namespace quorvane;
    platform::DeviceMap devices;
    const std::string device = DeviceNameTable::NameOf(0);
    devices.Map(device, argv[1]);
    quorvane::SkipAllQuestions questions;
    DiskSelection selection;
    SectorReader reader(devices, questions, selection);
    const std::uint64_t sectors = reader.DeviceSectors(device);
    if (sectors == 0) {
        std::fprintf(stderr, "read_bench: cannot open %s\n", argv[1]);
        return 1;
    }
    std::vector<std::byte> buffer(16 * kSectorSize);
    unsigned checksum = 0;
    const auto start = std::chrono::steady_clock::now();
    for (std::uint64_t s = 0; s + 16 <= sectors; s += 16) {
        if (reader.ReadSectors(device, s, 16, buffer) == 0) {
            std::fprintf(stderr, "read_bench: read failed at sector %llu\n",
                         static_cast<unsigned long long>(s));
            return 1;
        }
        checksum += static_cast<unsigned>(buffer[s % buffer.size()]);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%llu %.6f %u\n", static_cast<unsigned long long>(sectors / 16 * 16 * kSectorSize),
                seconds, checksum);
    return 0;
}
