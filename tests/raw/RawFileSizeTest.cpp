#include "engine/raw/RawFileSize.h"

#include "engine/raw/RawSignatures.h"
#include "tests/raw/RawTestDisk.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

struct Planted {
    std::string name;
    std::string type;
    std::vector<std::byte> bytes;
};

// The planted files of the raw fixture, cut out of the image.
std::vector<Planted> PlantedFiles() {
    const nlohmann::json manifest = test::LoadManifest("raw");
    const std::vector<std::byte> image = test::ReadWhole(test::FixturePath("raw.img"));
    std::vector<Planted> files;
    for (const auto& f : manifest["files"]) {
        const std::size_t first = f["firstSector"].get<std::size_t>() * 512;
        const std::size_t size = f["size"].get<std::size_t>();
        files.push_back(
            {f["name"], f["type"],
             std::vector<std::byte>(image.begin() + static_cast<std::ptrdiff_t>(first),
                                    image.begin() + static_cast<std::ptrdiff_t>(first + size))});
    }
    return files;
}

std::uint64_t CompoundSizeOf(const std::vector<std::byte>& file, std::uint64_t limit,
                             int* reads = nullptr) {
    return CompoundFileSize(std::span(file).first(std::min<std::size_t>(512, file.size())), limit,
                            [&](std::uint32_t index, std::span<std::byte> out) {
                                if (reads != nullptr) {
                                    ++*reads;
                                }
                                const std::uint64_t at = (std::uint64_t{index} + 1) * out.size();
                                if (at + out.size() > file.size()) {
                                    std::fill(out.begin(), out.end(), std::byte{0xFF});
                                    return true;
                                }
                                std::memcpy(out.data(), file.data() + at, out.size());
                                return true;
                            });
}

TEST(RawFileSizeTest, LengthsOfTheFixtureFilesFromTheirOwnStructure) {
    int compound = 0;
    int zips = 0;
    for (const Planted& f : PlantedFiles()) {
        if (f.type == "zip") {
            // Fed in pieces of several sizes, with bytes of the disk after it.
            for (const std::size_t piece : {1u, 7u, 512u, 10240u}) {
                std::vector<std::byte> disk = f.bytes;
                disk.resize(disk.size() + 3000, std::byte{0x5A});
                ZipEndFinder finder;
                for (std::size_t at = 0; at < disk.size() && !finder.End(); at += piece) {
                    finder.Feed(std::span(disk).subspan(at, std::min(piece, disk.size() - at)));
                }
                ASSERT_TRUE(finder.End()) << f.name << " piece " << piece;
                EXPECT_EQ(*finder.End(), f.bytes.size()) << f.name << " piece " << piece;
            }
            ++zips;
        } else {
            EXPECT_EQ(CompoundSizeOf(f.bytes, 1u << 30), f.bytes.size()) << f.name;
            ++compound;
        }
    }
    EXPECT_EQ(compound, 8);
    EXPECT_EQ(zips, 5);
}

TEST(RawFileSizeTest, AnEndRecordOfAnArchiveInsideDoesNotEndTheOuterOne) {
    std::vector<Planted> files = PlantedFiles();
    const auto inner = std::find_if(files.begin(), files.end(),
                                    [](const Planted& p) { return p.name == "stored.zip"; });
    ASSERT_NE(inner, files.end());
    // 100 bytes of an outer archive, the inner one stored, then an outer end
    // record (empty central directory right at it) with a 3-byte comment.
    std::vector<std::byte> outer(100, std::byte{1});
    outer.insert(outer.end(), inner->bytes.begin(), inner->bytes.end());
    const std::uint32_t at = static_cast<std::uint32_t>(outer.size());
    const std::uint8_t record[22] = {'P',
                                     'K',
                                     5,
                                     6,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     static_cast<std::uint8_t>(at),
                                     static_cast<std::uint8_t>(at >> 8),
                                     static_cast<std::uint8_t>(at >> 16),
                                     0,
                                     3,
                                     0};
    for (const auto b : record) {
        outer.push_back(std::byte{b});
    }
    outer.insert(outer.end(), {std::byte{'a'}, std::byte{'b'}, std::byte{'c'}});
    ZipEndFinder finder;
    finder.Feed(outer);
    ASSERT_TRUE(finder.End());
    EXPECT_EQ(*finder.End(), at + 25u);
}

TEST(RawFileSizeTest, InconsistentCompoundHeadersGiveNoLength) {
    std::vector<Planted> files = PlantedFiles();
    const std::vector<std::byte> good = files.front().bytes; // letter.doc
    ASSERT_EQ(files.front().type, "doc");
    const auto put32 = [](std::vector<std::byte>& b, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            b[at + i] = static_cast<std::byte>(v >> (8 * i));
        }
    };
    const struct {
        const char* what;
        std::function<void(std::vector<std::byte>&)> damage;
    } cases[] = {
        {"byte order", [](auto& b) { b[0x1C] = std::byte{0}; }},
        {"sector shift for version 3", [](auto& b) { b[0x1E] = std::byte{12}; }},
        {"no FAT sectors", [&](auto& b) { put32(b, 0x2C, 0); }},
        {"FAT count beyond the disk", [&](auto& b) { put32(b, 0x2C, 0x7FFFFFFF); }},
        {"FAT sector beyond the disk", [&](auto& b) { put32(b, 0x4C, 0x00FFFFFF); }},
        {"directory beyond the disk", [&](auto& b) { put32(b, 0x30, 0x00FFFFFF); }},
        {"extension chain that loops",
         [&](auto& b) {
             put32(b, 0x2C, 400); // needs two extension sectors
             put32(b, 0x44, 1);
             put32(b, 0x48, 1000);
             put32(b, 512 + 2 * 512 - 4, 1); // sector 1 names itself as next
         }},
    };
    EXPECT_EQ(CompoundSizeOf(good, 1u << 30), good.size());
    for (const auto& c : cases) {
        std::vector<std::byte> bad = good;
        bad.resize(std::max<std::size_t>(bad.size(), 4096));
        c.damage(bad);
        int reads = 0;
        EXPECT_EQ(CompoundSizeOf(bad, 1u << 30, &reads), 0u) << c.what;
        EXPECT_LT(reads, 10) << c.what;
    }
    // A length past the end of the disk is no length.
    EXPECT_EQ(CompoundSizeOf(good, good.size() - 512), 0u);
}

} // namespace
} // namespace quorvane
