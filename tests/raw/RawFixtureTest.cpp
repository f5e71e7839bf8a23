#include "engine/core/ByteView.h"
#include "tests/raw/RawTestDisk.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace quorvane {
namespace {

// A structure check of a compound file: the allocation table is complete,
// the directory chain stays inside the file and starts with the root entry,
// and every stream kept in whole sectors has a chain inside the file that is
// long enough for its size.
bool CompoundOpensCleanly(const std::vector<std::byte>& file) {
    const ByteView v(file);
    if (!v.Matches(0, kCompoundSignature) || v.U16(0x1E) != 9 || file.size() % 512 != 0) {
        return false;
    }
    const std::uint32_t sectors = static_cast<std::uint32_t>(file.size() / 512 - 1);
    const auto at = [&](std::uint32_t sector) { return (std::size_t{sector} + 1) * 512; };
    std::vector<std::uint32_t> fat;
    const std::uint32_t fatSectors = v.U32(0x2C);
    for (std::uint32_t i = 0; i < fatSectors && i < 109; ++i) {
        const std::uint32_t f = v.U32(0x4C + 4 * i);
        if (f >= sectors) {
            return false;
        }
        for (std::size_t j = 0; j < 128; ++j) {
            fat.push_back(v.U32(at(f) + 4 * j));
        }
    }
    std::uint32_t difat = v.U32(0x44);
    for (std::uint32_t k = 0; k < v.U32(0x48); ++k) {
        if (difat >= sectors) {
            return false;
        }
        for (std::size_t i = 0; i < 127 && fat.size() < std::size_t{fatSectors} * 128; ++i) {
            const std::uint32_t f = v.U32(at(difat) + 4 * i);
            if (f >= sectors) {
                return false;
            }
            for (std::size_t j = 0; j < 128; ++j) {
                fat.push_back(v.U32(at(f) + 4 * j));
            }
        }
        difat = v.U32(at(difat) + 508);
    }
    const auto chain = [&](std::uint32_t first, std::vector<std::uint32_t>& out) {
        std::set<std::uint32_t> seen;
        for (std::uint32_t s = first; s != 0xFFFFFFFE;) {
            if (s >= sectors || s >= fat.size() || !seen.insert(s).second) {
                return false;
            }
            out.push_back(s);
            s = fat[s];
        }
        return true;
    };
    std::vector<std::uint32_t> directory;
    if (!chain(v.U32(0x30), directory) || directory.empty() || v.U8(at(directory[0]) + 0x42) != 5) {
        return false;
    }
    for (const std::uint32_t d : directory) {
        for (std::size_t e = 0; e < 4; ++e) {
            const std::size_t entry = at(d) + 128 * e;
            const std::uint32_t size = v.U32(entry + 0x78);
            if (v.U8(entry + 0x42) != 2 || size < v.U32(0x38)) {
                continue;
            }
            std::vector<std::uint32_t> stream;
            if (!chain(v.U32(entry + 0x74), stream) || stream.size() * 512 < size) {
                return false;
            }
        }
    }
    return true;
}

bool ZipTestsCleanly(const std::filesystem::path& path) {
    return std::system(("unzip -tqq '" + path.string() + "' >/dev/null 2>&1").c_str()) == 0;
}

// Every planted file is found at its first sector with its type; what was
// recovered begins with its bytes (with --exact-size: is its bytes); every
// recovered file opens cleanly.
TEST(RawFixtureTest, EveryPlantedFileIsFoundWithItsType) {
    const nlohmann::json manifest = test::LoadManifest("raw");
    const std::vector<std::byte> image = test::ReadWhole(test::FixturePath("raw.img"));
    for (const bool exact : {false, true}) {
        test::RawRunner run(image);
        run.Run({true, true, true, true}, exact);
        int found = 0;
        int byteExact = 0;
        int clean = 0;
        for (const auto& planted : manifest["files"]) {
            const std::string name = planted["name"];
            const std::uint64_t first = planted["firstSector"];
            const auto record =
                std::find_if(run.observer.files.begin(), run.observer.files.end(),
                             [&](const RawFileRecord& r) { return r.firstSector == first; });
            ASSERT_NE(record, run.observer.files.end()) << name;
            ++found;
            EXPECT_EQ(kRawFileTypes[static_cast<std::size_t>(record->type)].option,
                      planted["type"].get<std::string>())
                << name;
            const std::vector<std::byte> bytes = run.File(record->name);
            const std::size_t size = planted["size"];
            ASSERT_GE(bytes.size(), size) << name;
            const std::vector<std::byte> head(bytes.begin(),
                                              bytes.begin() + static_cast<std::ptrdiff_t>(size));
            EXPECT_TRUE(std::equal(head.begin(), head.end(),
                                   image.begin() + static_cast<std::ptrdiff_t>(first * 512)))
                << name;
            byteExact += bytes.size() == size ? 1 : 0;
            const bool opens = planted["type"] == "zip"
                                   ? ZipTestsCleanly(run.folder.path / record->name)
                                   : CompoundOpensCleanly(bytes);
            EXPECT_TRUE(opens) << name << (exact ? " (exact size)" : "");
            clean += opens ? 1 : 0;
        }
        std::cout << (exact ? "--exact-size: " : "copy rule:    ") << found << " of "
                  << manifest["files"].size() << " found, " << byteExact << " byte-exact, " << clean
                  << " open cleanly, " << found - clean << " truncated or damaged, "
                  << run.observer.files.size() << " files written\n";
        EXPECT_EQ(run.observer.files.size(), manifest["files"].size());
        if (exact) {
            EXPECT_EQ(byteExact, found);
        }
    }
}

} // namespace
} // namespace quorvane
