// The decoders on volumes written by mkntfs and ntfs-3g (tests/fixtures/ntfs.tar.xz,
// made by scripts/make-fixtures.sh). The manifests name every entry with the
// MFT record that The Sleuth Kit's fls gives it.
#include "engine/ntfs/AttributeList.h"
#include "engine/ntfs/DataRuns.h"
#include "engine/ntfs/IndexRecord.h"
#include "engine/ntfs/MftEntryRows.h"
#include "engine/ntfs/MftRecord.h"
#include "engine/ntfs/NtfsSectors.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace quorvane {
namespace {

using test::FixturePath;
using test::LoadManifest;

constexpr std::size_t kSector = 512;

// One NTFS volume of a fixture image, read with plain file reads. Records are
// located through the $MFT's own run list, as a reader of an intact volume does.
class NtfsVolume {
public:
    // With `fromMirror` the $MFT's runs are read from the copy of record 0 in
    // $MFTMirr (for a volume whose first records were zeroed).
    NtfsVolume(const std::string& image, const nlohmann::json& volume, bool fromMirror = false)
        : in_(FixturePath(image + ".img"), std::ios::binary),
          first_(volume["firstSector"].get<std::uint64_t>()) {
        const auto boot = Read(first_, 1);
        spc_ = static_cast<std::uint8_t>(boot[0x0D]);
        clusters_ = ByteView(boot).U64(0x28) / spc_;
        mftStart_ = first_ + ByteView(boot).U64(fromMirror ? 0x38 : 0x30) * spc_;
    }

    bool Good() const { return static_cast<bool>(in_); }
    std::uint64_t ClusterBytes() const { return spc_ * kSector; }
    std::uint64_t Clusters() const { return clusters_; }
    std::uint64_t First() const { return first_; }

    std::vector<std::byte> Read(std::uint64_t sector, std::size_t count) {
        std::vector<std::byte> bytes(count * kSector);
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(sector * kSector));
        in_.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }
    std::vector<std::byte> ReadClusters(std::uint64_t cluster, std::uint64_t count) {
        return Read(first_ + cluster * spc_, static_cast<std::size_t>(count * spc_));
    }

    // The stream a run list describes, sparse runs as zeros, cut to `size`.
    std::vector<std::byte> ReadRuns(const RunList& runs, std::uint64_t size) {
        std::vector<std::byte> out;
        for (const DataRun& run : runs.runs) {
            if (run.sparse) {
                out.resize(out.size() + run.clusterCount * ClusterBytes());
            } else {
                const auto data = ReadClusters(run.startCluster, run.clusterCount);
                out.insert(out.end(), data.begin(), data.end());
            }
        }
        out.resize(static_cast<std::size_t>(size));
        return out;
    }

    // The sector of record t through the $MFT's runs (read from record 0 once).
    std::optional<std::uint64_t> SectorOf(std::uint64_t t) {
        if (mftRuns_.runs.empty()) {
            auto zero = Read(mftStart_, 2);
            FixupRecord(zero);
            const DataAttribute data = FindDataAttribute(zero);
            mftRuns_ = DecodeDataRuns(zero, data.offset, clusters_).list;
            mftRecords_ = mftRuns_.TotalClusters() * ClusterBytes() / kMftRecordSize;
        }
        if (t >= mftRecords_) {
            return std::nullopt;
        }
        std::uint64_t vcnByte = t * kMftRecordSize;
        for (const DataRun& run : mftRuns_.runs) {
            const std::uint64_t runBytes = run.clusterCount * ClusterBytes();
            if (vcnByte < runBytes) {
                return first_ + run.startCluster * spc_ + vcnByte / kSector;
            }
            vcnByte -= runBytes;
        }
        return std::nullopt;
    }
    // Record t, fixed up.
    std::optional<std::vector<std::byte>> Record(std::uint64_t t) {
        const std::optional<std::uint64_t> sector = SectorOf(t);
        if (!sector) {
            return std::nullopt;
        }
        auto record = Read(*sector, 2);
        FixupRecord(record);
        return record;
    }
    std::uint64_t RecordCount() {
        SectorOf(0);
        return mftRecords_;
    }

    // The records that hold a file's attributes: the base record first, then
    // the extension records its attribute list names (resident or not).
    std::vector<std::vector<std::byte>> FileRecords(std::uint64_t t) {
        std::vector<std::vector<std::byte>> records;
        auto base = Record(t);
        if (!base) {
            return records;
        }
        const AttributeListPlace place = FindAttributeList(*base);
        std::vector<std::byte> listBytes(place.content.begin(), place.content.end());
        if (place.location == DataLocation::NonResident) {
            const auto runs = DecodeDataRuns(*base, place.attribute.offset, clusters_).list;
            listBytes = ReadRuns(runs, std::min(place.attribute.realSize, kMaxAttributeListBytes));
        }
        records.push_back(*base);
        const auto entries = DecodeAttributeList(listBytes);
        for (const std::uint64_t n : ListedRecords(t, entries)) {
            if (n != t) {
                if (auto extension = Record(n)) {
                    records.push_back(*extension);
                }
            }
        }
        return records;
    }

private:
    std::ifstream in_;
    std::uint64_t first_;
    std::uint64_t spc_ = 1;
    std::uint64_t clusters_ = 0;
    std::uint64_t mftStart_ = 0;
    RunList mftRuns_;
    std::uint64_t mftRecords_ = 0;
};

struct VolumeCase {
    std::string image;
    std::size_t volume;
};
void PrintTo(const VolumeCase& c, std::ostream* os) {
    *os << c.image << "#" << c.volume;
}

struct Decoded {
    std::string name;
    std::uint64_t parent = 0;
    bool folder = false;
    bool deleted = false;
    std::optional<std::uint64_t> size;
    std::uint64_t self = 0;
    std::uint64_t firstIndexCluster = 0;
};

// Every base record of the MFT, decoded; extension records are left out. A
// name or size that the base record does not hold is taken from the records
// its attribute list names, in list order.
std::map<std::uint64_t, Decoded> DecodeMft(NtfsVolume& volume) {
    std::map<std::uint64_t, Decoded> out;
    const std::uint64_t count = volume.RecordCount();
    for (std::uint64_t t = 0; t < count; ++t) {
        const auto record = volume.Record(t);
        if (!record || !ReadMftRecordHeader(*record).isFile ||
            ReadMftRecordHeader(*record).baseRecord != 0) {
            continue;
        }
        const MftRecordInfo info = DecodeMftRecord(*record);
        std::optional<FileNameInfo> name = info.fileName;
        std::optional<std::uint64_t> size = info.dataSize;
        if ((!name || !size) && FindAttributeList(*record).location != DataLocation::None) {
            for (const auto& part : volume.FileRecords(t)) {
                name = name ? name : ReadPreferredFileName(part);
                size = size ? size : ReadDataSize(part);
            }
        }
        Decoded d;
        d.folder = info.folder;
        d.deleted = info.deleted;
        d.size = size;
        d.self = info.selfNumber;
        d.firstIndexCluster = info.firstIndexCluster;
        if (name) {
            d.name = name->name;
            d.parent = name->parent;
        }
        // Records 12-15 are reserved, in use and nameless.
        EXPECT_FALSE(t > 15 && d.name.empty() && !d.deleted) << t;
        out[t] = d;
    }
    return out;
}

std::string PathOf(const std::map<std::uint64_t, Decoded>& mft, std::uint64_t t) {
    std::string path;
    for (int depth = 0; t != 5 && depth < 64; ++depth) {
        const auto it = mft.find(t);
        if (it == mft.end()) {
            return "?/" + path;
        }
        path = path.empty() ? it->second.name : it->second.name + "/" + path;
        t = it->second.parent;
    }
    return path;
}

class NtfsFixtureVolumes : public ::testing::TestWithParam<VolumeCase> {};

// Each manifest entry's record has the entry's name, parent path, kind, size
// and deleted state. Hard links show one of their names.
TEST_P(NtfsFixtureVolumes, RecordsDecodeToTheManifest) {
    const auto manifest = LoadManifest(GetParam().image);
    const auto& volumeJson = manifest["volumes"][GetParam().volume];
    NtfsVolume volume(GetParam().image, volumeJson);
    ASSERT_TRUE(volume.Good());
    const auto mft = DecodeMft(volume);
    ASSERT_GT(mft.size(), 30u);
    EXPECT_EQ(mft.at(5).name, ".");
    EXPECT_TRUE(mft.at(5).folder);
    EXPECT_EQ(mft.at(0).name, "$MFT");

    std::map<std::string, std::set<std::string>> namesOfLinkedFile;
    for (const auto& e : volumeJson["entries"]) {
        if (e.contains("hardLinkOf")) {
            namesOfLinkedFile[e["hardLinkOf"]].insert(e["path"].get<std::string>());
        }
    }
    std::map<std::string, std::uint64_t> byPath;
    for (const auto& [t, d] : mft) {
        byPath.emplace(PathOf(mft, t), t);
    }
    std::size_t checked = 0;
    for (const auto& e : volumeJson["entries"]) {
        const std::string path = e["path"];
        // Older manifests name no record: the entry is looked up by its path.
        ASSERT_TRUE(e.contains("mftRecord") || byPath.count(path)) << path;
        const std::uint64_t t =
            e.contains("mftRecord") ? e["mftRecord"].get<std::uint64_t>() : byPath.at(path);
        ASSERT_TRUE(mft.count(t)) << path;
        const Decoded& d = mft.at(t);
        const std::string decodedPath = PathOf(mft, t);
        if (e.contains("hardLinkOf") || e.contains("hardLinks")) {
            const std::string target = e.value("hardLinkOf", path);
            std::set<std::string> names = namesOfLinkedFile[target];
            names.insert(target);
            EXPECT_TRUE(names.count(decodedPath)) << path << " read as " << decodedPath;
        } else {
            EXPECT_EQ(decodedPath, path) << t;
        }
        EXPECT_EQ(d.folder, e["kind"] == "folder") << path;
        EXPECT_EQ(d.deleted, e["deleted"].get<bool>()) << path;
        if (!d.folder) {
            EXPECT_EQ(d.size.value_or(0), e["size"].get<std::uint64_t>()) << path;
        }
        ++checked;
    }
    EXPECT_EQ(checked, volumeJson["entries"].size());
}

INSTANTIATE_TEST_SUITE_P(NtfsFixtures, NtfsFixtureVolumes,
                         ::testing::Values(VolumeCase{"ntfs-full", 0}, VolumeCase{"ntfs-two", 0},
                                           VolumeCase{"ntfs-two", 1}, VolumeCase{"ntfs-fat", 0},
                                           VolumeCase{"demo", 2}),
                         [](const auto& info) {
                             std::string name =
                                 info.param.image + "_" + std::to_string(info.param.volume);
                             for (char& c : name) {
                                 c = c == '-' ? '_' : c;
                             }
                             return name;
                         });

const nlohmann::json& Entry(const nlohmann::json& volume, const std::string& path) {
    for (const auto& e : volume["entries"]) {
        if (e["path"] == path) {
            return e;
        }
    }
    throw std::runtime_error("no manifest entry " + path);
}

std::string Sha256Of(const std::vector<std::byte>& bytes) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("quorvane-ntfs-" + std::to_string(::getpid()) + ".bin");
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    const std::string hash = test::Sha256OfFile(path);
    std::filesystem::remove(path);
    return hash;
}

class NtfsFull : public ::testing::Test {
protected:
    nlohmann::json manifest = LoadManifest("ntfs-full");
    const nlohmann::json& vol = manifest["volumes"][0];
    NtfsVolume volume{"ntfs-full", vol};

    std::uint64_t Number(const std::string& path) { return Entry(vol, path)["mftRecord"]; }

    // The unnamed data attribute's runs of every record of a file, in order,
    // with the lowest VCN of each part.
    std::vector<std::pair<std::uint64_t, RunList>> DataParts(std::uint64_t t) {
        std::vector<std::pair<std::uint64_t, RunList>> parts;
        for (const auto& record : volume.FileRecords(t)) {
            const DataAttribute data = FindDataAttribute(record);
            if (data.location == DataLocation::NonResident) {
                const AttributeHeader h = ReadAttributeHeader(ByteView(record), data.offset);
                const DecodedRunList d = DecodeDataRuns(record, data.offset, volume.Clusters());
                EXPECT_EQ(d.end, RunListEnd::EndMarker);
                parts.emplace_back(h.lowestVcn, d.list);
            }
        }
        std::sort(parts.begin(), parts.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        return parts;
    }
    std::vector<std::byte> Contents(std::uint64_t t, std::uint64_t size) {
        RunList all;
        std::uint64_t vcn = 0;
        for (const auto& [lowest, runs] : DataParts(t)) {
            EXPECT_EQ(lowest, vcn) << "a gap between the parts of the data attribute";
            all.runs.insert(all.runs.end(), runs.runs.begin(), runs.runs.end());
            vcn += runs.TotalClusters();
        }
        return volume.ReadRuns(all, size);
    }
};

TEST_F(NtfsFull, FragmentedFileReadsBackThroughItsTwoRuns) {
    const auto& e = Entry(vol, "Fragmented/grown.bin");
    const auto parts = DataParts(Number("Fragmented/grown.bin"));
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].second.Count(), 2u);
    EXPECT_EQ(parts[0].second.TotalClusters(), 8u);
    EXPECT_EQ(Sha256Of(Contents(Number("Fragmented/grown.bin"), e["size"])), e["sha256"]);
}

TEST_F(NtfsFull, RunsContinuedInAnExtensionRecordReadBackWhole) {
    const std::string path = "Fragmented/alternating holes.bin";
    const auto& e = Entry(vol, path);
    const auto parts = DataParts(Number(path));
    ASSERT_GE(parts.size(), 2u) << "the data attribute should span several records";
    std::size_t sparse = 0;
    for (const auto& [lowest, runs] : parts) {
        for (const DataRun& run : runs.runs) {
            sparse += run.sparse ? 1 : 0;
        }
    }
    EXPECT_GE(sparse, 199u);
    EXPECT_EQ(Sha256Of(Contents(Number(path), e["size"])), e["sha256"]);
}

TEST_F(NtfsFull, SparseFileOfFiveGiBKeepsItsSizeAndRuns) {
    const std::string path = "Sparse/five GiB sparse.bin";
    const auto base = volume.Record(Number(path));
    ASSERT_TRUE(base);
    EXPECT_EQ(ReadDataSize(*base), 5ull << 30);
    EXPECT_EQ(MftEntryRowOf(*base, 0).size, 5ull << 30);
    const auto parts = DataParts(Number(path));
    ASSERT_EQ(parts.size(), 1u);
    std::uint64_t vcn = 0;
    std::vector<std::uint64_t> dataVcns;
    for (const DataRun& run : parts[0].second.runs) {
        if (!run.sparse) {
            dataVcns.push_back(vcn);
        }
        vcn += run.clusterCount;
    }
    EXPECT_EQ(vcn * volume.ClusterBytes(), 5ull << 30);
    // The one block of data sits at 4.5 GiB + 12 KiB.
    EXPECT_EQ(dataVcns, std::vector<std::uint64_t>{((9ull << 29) + 3 * 4096) / 4096});
}

TEST_F(NtfsFull, NamedStreamsArePassedOverForTheFileSize) {
    const std::string path = "Streams/with streams.txt";
    const auto records = volume.FileRecords(Number(path));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(ReadDataSize(records[0]), Entry(vol, path)["size"].get<std::uint64_t>());
    EXPECT_EQ(FindDataAttribute(records[0]).location, DataLocation::Resident);
}

TEST_F(NtfsFull, ManyHardLinksPutNamesIntoExtensionRecords) {
    const std::uint64_t t = Number("Links/shared by many names.txt");
    const auto records = volume.FileRecords(t);
    ASSERT_GE(records.size(), 2u);
    std::set<std::string> names;
    for (const auto& record : records) {
        if (record != records.front()) {
            EXPECT_EQ(ReadMftRecordHeader(record).baseRecord, t);
        }
        WalkAttributes(ByteView(record), kFileNameWalk, [&](const AttributeHeader& a) {
            if (a.type == kFileNameType) {
                const auto name = ReadFileNameContent(
                    ByteView(record), a.offset + static_cast<std::size_t>(a.contentOffset));
                EXPECT_TRUE(name);
                names.insert(name ? name->name : "");
            }
            return false;
        });
    }
    EXPECT_EQ(names.size(), 31u);
}

TEST_F(NtfsFull, IndexBlocksOfTheLargeFolderNameAllItsFiles) {
    const std::uint64_t folder = Number("Many Files");
    std::set<std::string> expected;
    for (const auto& e : vol["entries"]) {
        const std::string path = e["path"];
        if (path.rfind("Many Files/", 0) == 0) {
            expected.insert(path.substr(11));
        }
    }
    ASSERT_EQ(expected.size(), 320u);

    std::set<std::string> found;
    auto take = [&](const IndexRecord& index) {
        for (const IndexEntry& entry : WalkIndexEntries(index)) {
            if (entry.key.parent == folder && expected.count(entry.key.name)) {
                found.insert(entry.key.name);
                EXPECT_FALSE(entry.key.IsFolder());
            }
        }
    };
    std::uint64_t firstCluster = 0;
    for (const auto& record : volume.FileRecords(folder)) {
        // The keys kept in the index root: its entries follow the root's
        // 16-byte header and the index header's first-entry offset.
        if (const std::size_t root = FindNamedI30(record, kIndexRootType, I30NameAt::Resident)) {
            const ByteView b(record);
            const std::size_t header = root + b.U16(root + 0x14) + 0x10;
            take(IndexRecord{0, header + b.U32(header), record});
        }
        const std::size_t at = FindNamedI30(record, kIndexAllocationType, I30NameAt::NonResident);
        if (at == 0) {
            continue;
        }
        firstCluster = FirstIndexCluster(record);
        const RunList runs = DecodeDataRuns(record, at, volume.Clusters()).list;
        std::uint64_t vcn = 0;
        for (const DataRun& run : runs.runs) {
            for (std::uint64_t c = 0; c < run.clusterCount; ++c, ++vcn) {
                const auto raw = volume.ReadClusters(run.startCluster + c, 1);
                if (ClassifyNtfsSector(raw) != NtfsSectorKind::IndexRecord) {
                    continue; // a block of the allocation not in use yet
                }
                const auto row = IndexRecordRowOf(raw, 0);
                ASSERT_TRUE(row);
                EXPECT_EQ(row->mftReference, folder);
                EXPECT_EQ(row->vcn, vcn);
                const auto index = ReadIndexRecord(raw);
                ASSERT_TRUE(index);
                take(*index);
            }
        }
    }
    EXPECT_NE(firstCluster, 0u);
    EXPECT_EQ(found, expected);
}

// The Professional scan's view: every sector of the disk through the
// recognisers, FILE records into MftEntryTable, index records into
// MftRecordTable, boot sectors into BootTable.
struct ScanResult {
    ResultTables tables;
};

ScanResult ScanImage(const std::string& image) {
    ScanResult r;
    std::ifstream in(FixturePath(image + ".img"), std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), {});
    const std::span<const std::byte> disk = std::as_bytes(std::span(chars));
    std::size_t fileRows = 0;
    std::size_t indexRows = 0;
    for (std::size_t s = 0; s * kSector < disk.size(); ++s) {
        const std::span<const std::byte> rest = disk.subspan(s * kSector);
        switch (ClassifyNtfsSector(rest.first(kSector))) {
        case NtfsSectorKind::MftRecord:
            AddMftEntryRow(r.tables.MftEntryTable, fileRows, s,
                           rest.first(std::min(rest.size(), kMftRecordSize)));
            break;
        case NtfsSectorKind::IndexRecord:
            AddIndexRecordRow(r.tables.MftRecordTable, indexRows, s,
                              rest.first(std::min(rest.size(), kMaxIndexRecordSize)));
            break;
        case NtfsSectorKind::BootSector:
            r.tables.BootTable.Append(NtfsBootRow(rest.first(kSector), s));
            break;
        case NtfsSectorKind::Other:
            break;
        }
    }
    return r;
}

TEST(NtfsFixtureScan, RecordsThatSurviveTheZeroedMftAreAllFound) {
    const auto manifest = LoadManifest("ntfs-mftgone");
    const auto& vol = manifest["volumes"][0];
    const ScanResult scan = ScanImage("ntfs-mftgone");
    const std::uint64_t first = vol["firstSector"];

    // The boot sector and its copy at the end of the volume.
    ASSERT_EQ(scan.tables.BootTable.RowCount(), 2u);
    EXPECT_EQ(scan.tables.BootTable[0].sector, first);
    EXPECT_EQ(scan.tables.BootTable[1].sector, vol["params"]["backupBootSector"]);
    EXPECT_EQ(scan.tables.BootTable[0].Cell(1), "8");
    EXPECT_EQ(scan.tables.BootTable[0].Cell(2), "8");
    EXPECT_EQ(scan.tables.BootTable[0].Cell(5),
              std::to_string(vol["params"]["mftCluster"].get<std::uint64_t>()));

    // Every entry of the manifest is a FILE record the scan found, with its
    // name, kind and deleted state; only the zeroed records 0-15 are gone.
    NtfsVolume volume("ntfs-mftgone", vol, true);
    std::map<std::uint64_t, const MftEntryRow*> bySector;
    for (const MftEntryRow& row : scan.tables.MftEntryTable) {
        bySector[row.sector] = &row;
    }
    for (std::uint64_t t = 0; t < 16; ++t) {
        EXPECT_FALSE(bySector.count(*volume.SectorOf(t))) << t;
    }
    for (const auto& e : vol["entries"]) {
        const std::string path = e["path"];
        const std::optional<std::uint64_t> sector = volume.SectorOf(e["mftRecord"]);
        ASSERT_TRUE(sector) << path;
        ASSERT_TRUE(bySector.count(*sector)) << path;
        const MftEntryRow& row = *bySector[*sector];
        EXPECT_EQ(row.name, path.substr(path.rfind('/') + 1)) << path;
        EXPECT_EQ(row.type, e["kind"] == "folder" ? "FOLDER" : "File") << path;
        EXPECT_EQ(row.deleted, e["deleted"].get<bool>()) << path;
        if (e["kind"] == "file") {
            EXPECT_EQ(row.size, e["size"].get<std::uint64_t>()) << path;
        }
    }

    // Index blocks of the root and of both large folders, each folder's from
    // VCN 0 on.
    std::map<std::uint32_t, std::set<std::uint32_t>> vcnsByOwner;
    for (const MftRecordRow& row : scan.tables.MftRecordTable) {
        vcnsByOwner[row.mftReference].insert(row.vcn);
        EXPECT_EQ(row.fsNumber, MftRecordRow::kUnassigned);
    }
    EXPECT_TRUE(vcnsByOwner.count(5));
    for (const char* folder : {"Many Files", "Projects/More Files"}) {
        const auto owner = Entry(vol, folder)["mftRecord"].get<std::uint32_t>();
        ASSERT_TRUE(vcnsByOwner.count(owner)) << folder;
        EXPECT_EQ(*vcnsByOwner[owner].begin(), 0u) << folder;
    }
}

TEST(NtfsFixtureScan, BothVolumesOfADiskLeaveTheirBootSectors) {
    const auto manifest = LoadManifest("ntfs-two");
    const ScanResult scan = ScanImage("ntfs-two");
    std::vector<std::uint64_t> sectors;
    for (const BootRow& row : scan.tables.BootTable) {
        sectors.push_back(row.sector);
    }
    std::vector<std::uint64_t> expected;
    for (const auto& v : manifest["volumes"]) {
        expected.push_back(v["firstSector"]);
        expected.push_back(v["params"]["backupBootSector"]);
    }
    EXPECT_EQ(sectors, expected);
    EXPECT_EQ(scan.tables.BootTable[0].Cell(1), "2"); // 1 KiB clusters
    EXPECT_EQ(scan.tables.BootTable[2].Cell(1), "4"); // 2 KiB clusters
    EXPECT_EQ(scan.tables.BootTable[0].Cell(2), "8"); // index records stay 4 KiB
    EXPECT_EQ(scan.tables.BootTable[2].Cell(2), "8");
}

} // namespace
} // namespace quorvane
