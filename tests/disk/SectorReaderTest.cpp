#include "engine/disk/SectorReader.h"
#include "platform/DeviceMap.h"
#include "platform/FileBlockDevice.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>
#include <sys/stat.h>

namespace quorvane {
namespace {

using test::ScriptedQuestions;

// A disk whose sector s holds the byte (s & 0xFF) everywhere, with sectors
// that fail to read. A read over a bad sector fails whole, as a drive's does.
class FaultyDevice final : public platform::BlockDevice {
public:
    FaultyDevice(std::uint64_t sectors, std::set<std::uint64_t> bad, int* reads)
        : sectors_(sectors), bad_(std::move(bad)), reads_(reads) {}
    std::int64_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override {
        ++*reads_;
        std::size_t n = 0;
        for (; n < out.size() && offset + n < sectors_ * 512; ++n) {
            const std::uint64_t sector = (offset + n) / 512;
            if (bad_.count(sector) != 0) {
                return -1;
            }
            out[n] = static_cast<std::byte>(sector & 0xFF);
        }
        return static_cast<std::int64_t>(n);
    }
    std::uint64_t Size() const override { return sectors_ * 512; }

private:
    std::uint64_t sectors_;
    std::set<std::uint64_t> bad_;
    int* reads_;
};

class FaultyOpener final : public platform::DeviceOpener {
public:
    std::set<std::uint64_t> bad;
    std::uint64_t sectors = 4096;
    std::vector<std::string> opened;
    int reads = 0;
    std::unique_ptr<platform::BlockDevice> Open(const std::string& name) override {
        opened.push_back(name);
        if (name != "\\\\.\\PhysicalDrive0" && name != "\\\\.\\A:") {
            return nullptr;
        }
        return std::make_unique<FaultyDevice>(sectors, bad, &reads);
    }
};

constexpr std::byte kStale{0xEE};

class SectorReaderTest : public ::testing::Test {
protected:
    FaultyOpener opener;
    ScriptedQuestions questions;
    DiskSelection selection;
    SectorReader reader{opener, questions, selection, 64 * 1024};
    const std::string disk0 = DeviceNameTable::NameOf(0);

    std::vector<std::byte> Stale(std::uint32_t sectors) {
        return std::vector<std::byte>(sectors * 512, kStale);
    }
    static std::uint8_t At(const std::vector<std::byte>& b, std::uint32_t sector) {
        return static_cast<std::uint8_t>(b[sector * 512 + 7]);
    }
};

TEST_F(SectorReaderTest, ReadsWholeRequestsAcrossReadAheadBlocks) {
    auto buffer = Stale(16);
    // Sequential 16-sector requests, an unaligned one, and one larger than the
    // read-ahead block: all must return the disk's bytes.
    for (std::uint64_t first : {0ull, 16ull, 120ull, 63ull, 1000ull, 4080ull}) {
        ASSERT_EQ(reader.ReadSectors(disk0, first, 16, buffer), 1) << first;
        for (std::uint32_t i = 0; i < 16; ++i) {
            EXPECT_EQ(At(buffer, i), (first + i) & 0xFF) << first;
        }
    }
    auto big = Stale(300);
    ASSERT_EQ(reader.ReadSectors(disk0, 10, 300, big), 1);
    EXPECT_EQ(At(big, 299), (10 + 299) & 0xFF);
    EXPECT_EQ(opener.opened.size(), 1u) << "the device stays open between requests";
    EXPECT_EQ(questions.badSectorAsks, 0);
}

TEST_F(SectorReaderTest, CountZeroSucceedsWhenTheDeviceOpens) {
    std::byte none{};
    EXPECT_EQ(reader.ReadSectors(disk0, 0u, 0u, 0u, &none), 1);
    EXPECT_EQ(reader.ReadSectors(DeviceNameTable::NameOf(7), 0u, 0u, 0u, &none), 0);
}

TEST_F(SectorReaderTest, MissingDeviceFailsSilently) {
    auto buffer = Stale(1);
    EXPECT_EQ(reader.ReadSectors(DeviceNameTable::NameOf(7), 0, 1, buffer), 0);
    EXPECT_EQ(questions.badSectorAsks, 0);
}

TEST_F(SectorReaderTest, FloppyLabelSendsEveryRequestToDriveA) {
    selection.SelectedDiskLabel = "1.44\" Floppy";
    auto buffer = Stale(1);
    EXPECT_EQ(reader.ReadSectors(DeviceNameTable::NameOf(3), 5, 1, buffer), 1);
    ASSERT_FALSE(opener.opened.empty());
    EXPECT_EQ(opener.opened.back(), "\\\\.\\A:");
}

TEST_F(SectorReaderTest, SectorNumbersAbove32BitsKeepTheirHighHalf) {
    opener.sectors = (1ull << 32) + 64; // sparse: the fake device computes its bytes
    auto buffer = Stale(2);
    ASSERT_EQ(reader.ReadSectors(disk0, 5u, 1u, 2u, buffer.data()), 1);
    EXPECT_EQ(At(buffer, 0), ((1ull << 32) + 5) & 0xFF);
}

TEST_F(SectorReaderTest, RequestPastTheEndFailsAndIsZeroFilled) {
    questions.badSectorAnswers = {BadSectorChoice::Skip};
    auto buffer = Stale(16);
    EXPECT_EQ(reader.ReadSectors(disk0, 4090, 16, buffer), 0);
    EXPECT_EQ(At(buffer, 5), (4095) & 0xFF) << "sectors before the end are the disk's";
    EXPECT_EQ(At(buffer, 6), 0);
    EXPECT_EQ(reader.UnreadableSectors(), 10u);
}

// Each bad-sector answer: what the request returns, what the buffer holds and
// whether the next failing request asks again.
struct ChoiceCase {
    BadSectorChoice choice;
    bool retriesSectorBySector;
    bool asksAgain;
};

std::string ChoiceName(const ::testing::TestParamInfo<ChoiceCase>& info) {
    switch (info.param.choice) {
    case BadSectorChoice::Retry:
        return "Retry";
    case BadSectorChoice::Skip:
        return "Skip";
    case BadSectorChoice::RetryAll:
        return "RetryAll";
    case BadSectorChoice::SkipAll:
        return "SkipAll";
    }
    return "Unknown";
}

class BadSectorChoiceTest : public SectorReaderTest,
                            public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(BadSectorChoiceTest, AnswerDecidesRetryAndPersistence) {
    const ChoiceCase c = GetParam();
    opener.bad = {100, 205};
    questions.badSectorAnswers = {c.choice, c.choice};

    auto buffer = Stale(16);
    EXPECT_EQ(reader.ReadSectors(disk0, 96, 16, buffer), 0) << "damaged request fails";
    EXPECT_EQ(questions.badSectorAsks, 1);
    EXPECT_EQ(reader.Choice(), c.choice);
    // Never stale bytes: a sector is the disk's or zeros.
    EXPECT_EQ(At(buffer, 4), 0) << "the bad sector reads as zeros";
    if (c.retriesSectorBySector) {
        EXPECT_EQ(At(buffer, 3), 99);
        EXPECT_EQ(At(buffer, 5), 101);
        EXPECT_EQ(reader.UnreadableSectors(), 1u);
    } else {
        EXPECT_EQ(std::count(buffer.begin(), buffer.end(), kStale), 0);
        EXPECT_EQ(reader.UnreadableSectors(), 16u);
    }

    const int readsBefore = opener.reads;
    auto second = Stale(16);
    EXPECT_EQ(reader.ReadSectors(disk0, 200, 16, second), 0);
    EXPECT_EQ(questions.badSectorAsks, c.asksAgain ? 2 : 1);
    if (c.choice == BadSectorChoice::SkipAll) {
        EXPECT_LE(opener.reads - readsBefore, 2) << "Skip All reads no single sectors";
        EXPECT_EQ(std::count(second.begin(), second.end(), kStale), 0);
    }
    if (c.choice == BadSectorChoice::RetryAll) {
        EXPECT_EQ(At(second, 4), 204);
        EXPECT_EQ(At(second, 5), 0);
        EXPECT_EQ(At(second, 6), 206);
    }
}

// A window read in requests has the outcome of those requests read one by
// one, in a single device read when nothing fails.
TEST_F(SectorReaderTest, ReadingInRequestsEqualsTheRequestsReadAlone) {
    auto window = Stale(160);
    EXPECT_EQ(reader.ReadSectorsInRequests(disk0, 80, 160, window, 20), 1);
    EXPECT_EQ(opener.reads, 1);
    EXPECT_EQ(At(window, 0), 80);
    EXPECT_EQ(At(window, 159), 239);

    opener.bad = {105};
    for (const BadSectorChoice choice : {BadSectorChoice::Skip, BadSectorChoice::Retry}) {
        ScriptedQuestions q1;
        ScriptedQuestions q2;
        q1.badSectorAnswers = {choice};
        q2.badSectorAnswers = {choice};
        SectorReader batched(opener, q1, selection, 64 * 1024);
        SectorReader alone(opener, q2, selection, 64 * 1024);
        auto a = Stale(160);
        auto b = Stale(160);
        EXPECT_EQ(batched.ReadSectorsInRequests(disk0, 80, 160, a, 20), 0);
        for (std::uint32_t k = 0; k < 160; k += 20) {
            alone.ReadSectors(disk0, 80 + k, 20, std::span(b).subspan(k * 512, 20 * 512));
        }
        EXPECT_EQ(a, b);
        EXPECT_EQ(batched.UnreadableSectors(), alone.UnreadableSectors());
        EXPECT_EQ(q1.badSectorAsks, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Choices, BadSectorChoiceTest,
                         ::testing::Values(ChoiceCase{BadSectorChoice::Retry, true, true},
                                           ChoiceCase{BadSectorChoice::Skip, false, true},
                                           ChoiceCase{BadSectorChoice::RetryAll, true, false},
                                           ChoiceCase{BadSectorChoice::SkipAll, false, false}),
                         ChoiceName);

TEST(FileBlockDeviceTest, OpensImagesReadOnlyAndRefusesOtherFiles) {
    const std::string path = ::testing::TempDir() + "/qv-readonly.img";
    {
        std::ofstream out(path, std::ios::binary);
        out << std::string(2048, 'x');
    }
    ::chmod(path.c_str(), 0444); // read-only is enough: nothing asks for write access
    std::string error;
    auto device = platform::FileBlockDevice::Open(path, error);
    ASSERT_TRUE(device) << error;
    EXPECT_EQ(device->Size(), 2048u);
    std::array<std::byte, 512> sector{};
    EXPECT_EQ(device->ReadAt(1536, sector), 512);
    EXPECT_EQ(device->ReadAt(2048, sector), 0);
}

// Every path that is no disk is refused with a message naming it, and at
// once: a FIFO must not keep the open waiting for a writer.
TEST(FileBlockDeviceTest, RefusesWhatIsNoDiskNamingIt) {
    const std::string dir = ::testing::TempDir();
    const test::Fifo fifo(dir + "/qv-refused.fifo");
    const struct {
        std::string path;
        std::size_t bytes; // written to a fresh file at `path` when not SIZE_MAX
        std::string reason;
    } cases[] = {
        {dir, SIZE_MAX, "not a disk image file or a block device"},
        {fifo.Path().string(), SIZE_MAX, "not a disk image file or a block device"},
        {"/nonexistent/disk.img", SIZE_MAX, "No such file"},
        {dir + "/qv-0-bytes.img", 0, "holds no whole sector (0 bytes)"},
        {dir + "/qv-1-byte.img", 1, "holds no whole sector (1 bytes)"},
        {dir + "/qv-511-bytes.img", 511, "holds no whole sector (511 bytes)"},
    };
    for (const auto& c : cases) {
        if (c.bytes != SIZE_MAX) {
            std::ofstream(c.path, std::ios::binary) << std::string(c.bytes, 'x');
        }
        std::string error;
        bool opened = true;
        EXPECT_TRUE(fifo.EndsWithoutAWriter([&] {
            opened = platform::FileBlockDevice::Open(c.path, error) != nullptr;
        })) << c.path
            << " waited in open()";
        EXPECT_FALSE(opened) << c.path;
        EXPECT_EQ(error.rfind(c.path + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    std::string error;
    std::ofstream(dir + "/qv-512-bytes.img", std::ios::binary) << std::string(512, 'x');
    EXPECT_TRUE(platform::FileBlockDevice::Open(dir + "/qv-512-bytes.img", error)) << error;
}

TEST(DeviceMapTest, ResolvesNamesWithoutRegardToCase) {
    platform::DeviceMap map;
    map.Map("\\\\.\\a:", "/tmp/floppy.img");
    EXPECT_EQ(map.PathOf("\\\\.\\A:"), "/tmp/floppy.img");
    EXPECT_EQ(map.PathOf("\\\\.\\PhysicalDrive0"), "");
    EXPECT_EQ(map.Open("\\\\.\\PhysicalDrive0"), nullptr);
}

} // namespace
} // namespace quorvane
