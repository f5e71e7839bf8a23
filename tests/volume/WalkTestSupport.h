#pragma once

#include "engine/volume/PartitionWalk.h"
#include "platform/DeviceMap.h"
#include "platform/MemoryBlockDevice.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace quorvane::test {

// A listed partition: its tree text and its sectors.
struct Listed {
    std::string text;
    std::uint64_t first;
    std::uint64_t end;
    bool operator==(const Listed&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Listed& l) {
    return os << "{" << l.text << ", " << l.first << ", " << l.end << "}";
}

// Walks a disk held in memory and returns the tree items with the table's sectors.
class Walker {
public:
    explicit Walker(const std::vector<std::byte>& bytes) {
        opener.Map(DeviceNameTable::NameOf(0), bytes);
    }

    std::vector<Listed> Walk() {
        const auto root = BuildPartitionTree(reader, 0, table, tree);
        EXPECT_EQ(tree.At(root).text, "Disk 0");
        EXPECT_TRUE(tree.At(root).expanded);
        std::vector<Listed> out;
        const DiskPartitions& disk = table[0];
        EXPECT_EQ(tree.Children(root).size(), disk.count);
        for (std::uint32_t i = 0; i < disk.count; ++i) {
            const PartitionInfo& p = disk.partitions[i];
            out.push_back({tree.At(p.treeItem).text, p.firstSector, p.endSector});
        }
        return out;
    }
    const DiskPartitions& Disk() { return table[0]; }

    platform::MemoryDeviceOpener opener;
    ScriptedQuestions questions{};
    DiskSelection selection;
    SectorReader reader{opener, questions, selection};
    DiskPartitionTable table;
    TreeModel tree;
};

inline std::vector<Listed> WalkBytes(const CraftedDisk& disk) {
    Walker w(disk.bytes);
    return w.Walk();
}

// A fixture image (tests/fixtures), walked from its file, with its manifest.
class FixtureWalk {
public:
    explicit FixtureWalk(const std::string& name)
        : image(FixturePath(name + ".img").string()), manifest(LoadManifest(name)) {
        devices.Map(DeviceNameTable::NameOf(0), image);
        root = BuildPartitionTree(reader, 0, table, tree);
    }
    const DiskPartitions& Disk() { return table[0]; }

    // The walk lists what the manifest says: sectors, file systems, tree texts,
    // and no read failed.
    void ExpectManifestPartitions() {
        const DiskPartitions& disk = Disk();
        ASSERT_EQ(disk.count, manifest["partitions"].size()) << image;
        for (std::uint32_t i = 0; i < disk.count; ++i) {
            const auto& expected = manifest["partitions"][i];
            const PartitionInfo& p = disk.partitions[i];
            EXPECT_EQ(p.firstSector, expected["firstSector"].get<std::uint64_t>());
            EXPECT_EQ(p.endSector, expected["endSector"].get<std::uint64_t>());
            EXPECT_EQ(FileSystemName(p.fileSystem), expected["fileSystem"].get<std::string>());
            EXPECT_EQ(tree.At(p.treeItem).text, PartitionItemText(i + 1, p.fileSystem));
        }
        EXPECT_EQ(questions.badSectorAsks, 0);
    }

    std::string image;
    nlohmann::json manifest;
    platform::DeviceMap devices;
    ScriptedQuestions questions;
    DiskSelection selection;
    SectorReader reader{devices, questions, selection};
    DiskPartitionTable table;
    TreeModel tree;
    TreeModel::Item root = TreeModel::kNone;
};

} // namespace quorvane::test
