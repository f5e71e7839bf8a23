#include "engine/volume/GuidPartitionTable.h"
#include "engine/core/Crc32.h"
#include "engine/volume/PartitionSearch.h"
#include "platform/DeviceMap.h"
#include "tests/support/TestSupport.h"
#include "tests/volume/WalkTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>

namespace quorvane {
namespace {

using test::CraftedDisk;
using test::Listed;
using test::Walker;

constexpr const char* kBasicData = "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7";
constexpr const char* kEfiSystem = "C12A7328-F81F-11D2-BA4B-00A0C93EC93B";
constexpr const char* kLinuxData = "0FC63DAF-8483-4772-8E79-3D69D8477DE4";

std::span<const std::byte> Bytes(std::string_view text) {
    return std::as_bytes(std::span(text.data(), text.size()));
}

TEST(GptPiecesTest, CrcAndGuids) {
    EXPECT_EQ(Crc32(Bytes("123456789")), 0xCBF43926u);
    EXPECT_EQ(Crc32({}), 0u);
    const Guid g = Guid::FromText(kEfiSystem);
    EXPECT_EQ(g.bytes[0], 0x28); // the first field is stored little-endian
    EXPECT_EQ(g.bytes[8], 0xBA);
    EXPECT_EQ(g.Text(), kEfiSystem);
    EXPECT_EQ(Guid::FromText("c12a7328-f81f-11d2-ba4b-00a0c93ec93b"), g);
    EXPECT_TRUE(Guid::FromText("C12A7328-F81F-11D2-BA4B-00A0C93EC93").IsZero());
    EXPECT_TRUE(Guid::FromText("C12A7328+F81F-11D2-BA4B-00A0C93EC93B").IsZero());
    EXPECT_EQ(KindOfGptType(g), GptTypeKind::EfiSystem);
    EXPECT_EQ(GptTypeName(KindOfGptType(Guid::FromText(kLinuxData))), "other");
}

struct CraftedEntry {
    std::string type = kBasicData;
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::u16string name = u"Data";
    const char* fileSystem = "FAT32"; // the boot sector's string, or "" for none
};

// A disk with a protective MBR and both copies of a GUID partition table
// (primary at 1, its array at 2; backup in the last sector, its array before
// it), each entry's boot sector holding its file system's string.
class CraftedGpt {
public:
    static constexpr std::uint64_t kSectors = 4096;
    static constexpr std::uint32_t kEntries = 128;
    static constexpr std::uint64_t kArraySectors = kEntries * 128 / 512;

    CraftedDisk disk{kSectors};
    std::vector<CraftedEntry> entries;

    std::uint64_t BackupLba() const { return kSectors - 1; }
    std::uint64_t BackupArrayLba() const { return kSectors - 1 - kArraySectors; }

    void Write() {
        disk.Signature(0);
        disk.Entry(0, 0, 0xEE, 1, static_cast<std::uint32_t>(kSectors - 1));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const CraftedEntry& e = entries[i];
            for (const std::uint64_t array : {std::uint64_t{2}, BackupArrayLba()}) {
                std::byte* at = disk.Sector(array) + i * 128;
                Put(at, Guid::FromText(e.type));
                Put(at + 16, Guid::FromText("5A1E6D17-0000-4000-8000-0000000000" +
                                            std::to_string(10 + i).substr(0, 2)));
                Put64(at + 32, e.first);
                Put64(at + 40, e.last);
                for (std::size_t k = 0; k < e.name.size() && k < 36; ++k) {
                    at[56 + 2 * k] = static_cast<std::byte>(e.name[k] & 0xFF);
                    at[57 + 2 * k] = static_cast<std::byte>(e.name[k] >> 8);
                }
            }
            const std::string_view fs = e.fileSystem;
            if (!fs.empty() && e.first < kSectors) {
                disk.PutText(e.first, fs == "NTFS" ? 3 : fs == "FAT16" ? 54 : 82, fs);
            }
        }
        WriteHeader(1, BackupLba(), 2);
        WriteHeader(BackupLba(), 1, BackupArrayLba());
    }
    // Rewrites the header CRC of the header at `lba` after a field was changed.
    void Reseal(std::uint64_t lba) {
        std::byte* h = disk.Sector(lba);
        std::fill_n(h + 16, 4, std::byte{0});
        Put32(h + 16, Crc32(std::span<const std::byte>(h, 92)));
    }
    void Put64At(std::uint64_t lba, std::size_t offset, std::uint64_t value) {
        Put64(disk.Sector(lba) + offset, value);
    }

private:
    void WriteHeader(std::uint64_t lba, std::uint64_t alternate, std::uint64_t arrayLba) {
        std::byte* h = disk.Sector(lba);
        std::memcpy(h, "EFI PART", 8);
        Put32(h + 8, 0x00010000);
        Put32(h + 12, 92);
        Put64(h + 24, lba);
        Put64(h + 32, alternate);
        Put64(h + 40, 2 + kArraySectors);
        Put64(h + 48, BackupArrayLba() - 1);
        Put(h + 56, Guid::FromText("5A1E6D17-0000-4000-8000-00000000D15C"));
        Put64(h + 72, arrayLba);
        Put32(h + 80, kEntries);
        Put32(h + 84, 128);
        Put32(h + 88, Crc32(std::span<const std::byte>(disk.Sector(arrayLba), kEntries * 128)));
        Reseal(lba);
    }
    static void Put(std::byte* at, const Guid& g) {
        std::memcpy(at, g.bytes.data(), g.bytes.size());
    }
    static void Put32(std::byte* at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            at[i] = static_cast<std::byte>(v >> (8 * i));
        }
    }
    static void Put64(std::byte* at, std::uint64_t v) {
        for (int i = 0; i < 8; ++i) {
            at[i] = static_cast<std::byte>(v >> (8 * i));
        }
    }
};

std::string Notes(const DiskPartitions& disk) {
    std::string all;
    for (const WalkNote& n : disk.notes) {
        all += (n.warning ? "W: " : "I: ") + n.text + "\n";
    }
    return all;
}

// Each row spoils one field of the primary header (and makes its CRC fit
// again, unless the CRC itself is the fault): the header is refused for that
// reason and the backup is used.
TEST(GuidPartitionTableTest, PrimaryHeaderThatDoesNotCheckOutGivesWayToTheBackup) {
    const struct {
        const char* what;
        std::size_t offset;
        std::uint64_t value;
        int width; // 4 or 8 bytes
        bool reseal;
        const char* problem;
    } cases[] = {
        {"signature", 0, 0x4546492050415254, 8, true, "no GPT signature"}, // "TRAP IFE"
        {"header CRC", 16, 0x12345678, 4, false, "header CRC does not match"},
        {"header size 91", 12, 91, 4, true, "header size 91 is out of range"},
        {"header size 513", 12, 513, 4, false, "header size 513 is out of range"},
        {"own sector", 24, 7, 8, true, "names sector 7 as its own"},
        {"usable area", 40, 5000, 8, true, "is after the last"},
        {"entry size 100", 84, 100, 4, true, "entry size 100"},
        {"entry size 8192", 84, 8192, 4, true, "entry size 8192"},
        {"entry count", 80, 0x10000, 4, true, "more than a table holds"},
        {"array past the end", 72, 4090, 8, true, "lies past the end of the disk"},
        {"array over the header", 72, 1, 8, true, "entry array covers the header"},
        {"array CRC", 88, 0xDEADBEEF, 4, true, "entry array CRC does not match"},
    };
    for (const auto& c : cases) {
        CraftedGpt gpt;
        gpt.entries = {{kBasicData, 100, 199}};
        gpt.Write();
        if (c.width == 8) {
            gpt.Put64At(1, c.offset, c.value);
        } else {
            gpt.disk.Put32(1, c.offset, static_cast<std::uint32_t>(c.value));
        }
        if (c.reseal) {
            gpt.Reseal(1);
        }
        Walker w(gpt.disk.bytes);
        EXPECT_EQ(w.Walk(), (std::vector<Listed>{{"Partition - 1 ( FAT32 )", 100, 200}})) << c.what;
        EXPECT_EQ(w.Disk().gptCopy, GptCopy::Backup) << c.what;
        ASSERT_FALSE(w.Disk().notes.empty()) << c.what;
        EXPECT_TRUE(w.Disk().notes[0].warning);
        EXPECT_NE(w.Disk().notes[0].text.find(c.problem), std::string::npos)
            << c.what << ": " << Notes(w.Disk());
        EXPECT_NE(w.Disk().notes[0].text.find("backup table at sector 4095 is used"),
                  std::string::npos);
    }
}

// The fuzz target parses without the CRCs: a header whose only fault is its
// CRC is taken, and so is an array whose only fault is its CRC.
TEST(GuidPartitionTableTest, CrcChecksCanBeLeftOut) {
    CraftedGpt gpt;
    gpt.entries = {{kBasicData, 100, 199, u"Name"}};
    gpt.Write();
    gpt.disk.Put32(1, 16, 0); // header CRC
    gpt.disk.Put32(1, 88, 0); // array CRC
    const ByteView header(std::span<const std::byte>(gpt.disk.Sector(1), 512));
    std::string problem;
    EXPECT_FALSE(ParseGptHeader(header, 1, CraftedGpt::kSectors, problem));
    const auto h = ParseGptHeader(header, 1, CraftedGpt::kSectors, problem, {.crc = false});
    ASSERT_TRUE(h) << problem;
    const ByteView array(std::span<const std::byte>(gpt.disk.Sector(2), 128 * 128));
    EXPECT_FALSE(ParseGptEntries(array, *h, problem));
    const auto entries = ParseGptEntries(array, *h, problem, {.crc = false});
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ(entries->front().name, "Name");
    EXPECT_FALSE(ParseGptEntries(ByteView(array.bytes().first(1000)), *h, problem, {.crc = false}));
}

TEST(GuidPartitionTableTest, BothCopiesDamagedListsNothingAndPointsToTheSearch) {
    CraftedGpt gpt;
    gpt.entries = {{kBasicData, 100, 199}};
    gpt.Write();
    gpt.disk.Put8(1, 0, 0);                   // primary signature
    gpt.disk.Put8(2 + 3, 0, 1);               // primary array: CRC no longer matches
    gpt.disk.Put8(gpt.BackupLba(), 16, 0x55); // backup header CRC
    Walker w(gpt.disk.bytes);
    EXPECT_TRUE(w.Walk().empty());
    EXPECT_EQ(w.Disk().scheme, PartitionScheme::Gpt);
    EXPECT_EQ(w.Disk().gptCopy, GptCopy::Unreadable);
    const std::string notes = Notes(w.Disk());
    EXPECT_NE(notes.find("W: The GUID partition table is unreadable (primary: header at sector "
                         "1: no GPT signature; backup: header at sector 4095: header CRC does "
                         "not match)"),
              std::string::npos)
        << notes;
    EXPECT_NE(notes.find("A partition search finds their volumes"), std::string::npos);
}

// The primary header is sound but its array is not: the backup header that
// the primary names is used, even where it is not the last sector.
TEST(GuidPartitionTableTest, BackupNamedByTheSoundPrimaryHeaderIsUsed) {
    CraftedGpt gpt;
    gpt.entries = {{kBasicData, 100, 199, u"Old"}};
    gpt.Write();
    // Move the backup header to sector 4000 and have the primary name it.
    std::memcpy(gpt.disk.Sector(4000), gpt.disk.Sector(gpt.BackupLba()), 512);
    gpt.disk.Put8(gpt.BackupLba(), 0, 0);
    gpt.Put64At(4000, 24, 4000);
    gpt.Reseal(4000);
    gpt.Put64At(1, 32, 4000);
    gpt.Reseal(1);
    gpt.disk.Put8(2, 56, 'N'); // "Nld": the primary array no longer matches its CRC
    Walker w(gpt.disk.bytes);
    EXPECT_EQ(w.Walk().size(), 1u);
    EXPECT_EQ(w.Disk().gptCopy, GptCopy::Backup) << Notes(w.Disk());
    EXPECT_EQ(w.Disk().partitions[0].name, "Old");
    EXPECT_NE(Notes(w.Disk()).find("backup table at sector 4000 is used"), std::string::npos);
}

// Entries the table cannot vouch for are listed with a warning and are never
// read past the disk's end; entries without a volume, inverted ones and
// unused ones are not listed. Any type may hold a volume.
TEST(GuidPartitionTableTest, EntriesAreListedInArrayOrderWithWarningsForWhatIsOdd) {
    CraftedGpt gpt;
    gpt.entries = {
        {kEfiSystem, 40, 99, u"EFI", "FAT16"},
        {kBasicData, 100, 199, u"Data", "NTFS"},
        {kBasicData, 150, 249, u"Overlapping", "FAT32"},
        {kLinuxData, 300, 399, u"Linux", ""},
        {"00000000-0000-0000-0000-000000000000", 400, 499, u"Unused", "FAT32"},
        {kLinuxData, 500, 599, u"FAT in Linux", "FAT32"},
        {kBasicData, 700, 650, u"Inverted", "FAT32"},
        {kBasicData, 4000, 9999, u"Past the end", "FAT32"},
        {kBasicData, 5000, 5999, u"Beyond the disk", "FAT32"},
        {kBasicData, 4070, 4080, u"Outside usable", "FAT16"},
        // A pair, a control character, an unpaired surrogate; the name ends
        // at its first zero unit.
        {kBasicData, 1000, 1099,
         std::u16string(u"A\U0001F600\u0001") + char16_t(0xD800) + std::u16string(u"B\0C", 3),
         "NTFS"},
    };
    gpt.Write();
    Walker w(gpt.disk.bytes);
    const std::vector<Listed> expected = {
        {"Partition - 1 ( FAT16 )", 40, 100},    {"Partition - 2 ( NTFS )", 100, 200},
        {"Partition - 3 ( FAT32 )", 150, 250},   {"Partition - 4 ( FAT32 )", 500, 600},
        {"Partition - 5 ( FAT32 )", 4000, 4096}, {"Partition - 6 ( FAT16 )", 4070, 4081},
        {"Partition - 7 ( NTFS )", 1000, 1100},
    };
    EXPECT_EQ(w.Walk(), expected);
    const DiskPartitions& disk = w.Disk();
    EXPECT_EQ(disk.gptCopy, GptCopy::Primary);
    EXPECT_EQ(disk.partitions[0].name, "EFI");
    EXPECT_EQ(disk.partitions[0].typeGuid.Text(), kEfiSystem);
    EXPECT_EQ(disk.partitions[0].gptEntry, 1u);
    EXPECT_EQ(disk.partitions[3].gptEntry, 6u);
    EXPECT_EQ(disk.partitions[3].scheme, PartitionScheme::Gpt);
    EXPECT_EQ(disk.partitions[6].name, "A\xF0\x9F\x98\x80\\x01\\uD800B");

    const std::string notes = Notes(disk);
    for (const char* note : {
             "W: Partition - 3 ( FAT32 ): GPT entry 3 (\"Overlapping\", basic data, sectors 150 "
             "to 249) overlaps GPT entry 2.",
             "I: GPT entry 4 (\"Linux\", other, sectors 300 to 399) holds no FAT or NTFS "
             "volume: not listed.",
             "W: GPT entry 7 (\"Inverted\", basic data, sectors 700 to 650) ends before it "
             "begins: not listed.",
             "W: Partition - 5 ( FAT32 ): GPT entry 8 (\"Past the end\", basic data, sectors "
             "4000 to 9999) runs past the end of the disk (4096 sectors); it is read only up "
             "to the end.",
             "W: GPT entry 9 (\"Beyond the disk\", basic data, sectors 5000 to 5999) lies past "
             "the end of the disk: not listed.",
             "W: Partition - 6 ( FAT16 ): GPT entry 10 (\"Outside usable\", basic data, sectors "
             "4070 to 4080) leaves the table's usable area (sectors 34 to 4062).",
         }) {
        EXPECT_NE(notes.find(note), std::string::npos) << note << "\nin\n" << notes;
    }
    EXPECT_EQ(notes.find("Unused"), std::string::npos) << notes;
    EXPECT_EQ(notes.find("entry 2 ("), std::string::npos) << "entry 2 overlaps nothing earlier";
}

TEST(GuidPartitionTableTest, MoreThanTwentySixVolumesListsTheFirstAndCountsTheRest) {
    CraftedGpt gpt;
    for (std::uint64_t k = 0; k < 30; ++k) {
        gpt.entries.push_back({kBasicData, 100 + k * 10, 109 + k * 10, u"P", "FAT16"});
    }
    gpt.entries.push_back({kBasicData, 1000, 1009, u"P", ""}); // no volume: not counted
    gpt.Write();
    Walker w(gpt.disk.bytes);
    const auto listed = w.Walk();
    ASSERT_EQ(listed.size(), DiskPartitions::kCapacity);
    EXPECT_EQ(listed.back(), (Listed{"Partition - 26 ( FAT16 )", 350, 360}));
    EXPECT_NE(Notes(w.Disk()).find(
                  "W: 4 more partition(s) with a FAT or NTFS volume are not listed: the list "
                  "holds 26."),
              std::string::npos)
        << Notes(w.Disk());
}

// A hybrid MBR (the protective entry beside real ones) follows the GUID
// partition table; only when that is unreadable are the MBR's entries listed.
// A wiped master boot record hides no sound GUID partition table.
TEST(GuidPartitionTableTest, HybridAndMissingMasterBootRecords) {
    CraftedGpt gpt;
    gpt.entries = {{kEfiSystem, 40, 99, u"EFI", "FAT16"}, {kBasicData, 100, 199, u"D", "NTFS"}};
    gpt.Write();
    gpt.disk.Entry(0, 1, 0x07, 100, 100);
    gpt.disk.Entry(0, 2, 0x0C, 2000, 100);
    gpt.disk.PutText(2000, 82, "FAT32");
    Walker w(gpt.disk.bytes);
    EXPECT_EQ(w.Walk(), (std::vector<Listed>{{"Partition - 1 ( FAT16 )", 40, 100},
                                             {"Partition - 2 ( NTFS )", 100, 200}}));
    EXPECT_NE(Notes(w.Disk()).find("I: The master boot record holds 2 partition entries beside "
                                   "its protective entry (a hybrid MBR); the GUID partition "
                                   "table is followed."),
              std::string::npos)
        << Notes(w.Disk());

    gpt.disk.Put8(1, 0, 0);
    gpt.disk.Put8(gpt.BackupLba(), 0, 0);
    const std::vector<Listed> mbr = {{"Partition - 1 ( NTFS )", 100, 200},
                                     {"Partition - 2 ( FAT32 )", 2000, 2100}};
    EXPECT_EQ(w.Walk(), mbr);
    EXPECT_EQ(w.Disk().partitions[0].scheme, PartitionScheme::Mbr);
    EXPECT_EQ(w.Disk().gptCopy, GptCopy::Unreadable);
    EXPECT_NE(Notes(w.Disk()).find("they are listed instead."), std::string::npos);

    // No boot signature: a sound GUID partition table is listed, anything
    // else leaves the disk without partitions and without a word, as before.
    CraftedGpt wiped;
    wiped.entries = {{kBasicData, 100, 199, u"D", "NTFS"}};
    wiped.Write();
    std::fill_n(wiped.disk.Sector(0), 512, std::byte{0});
    Walker w2(wiped.disk.bytes);
    EXPECT_EQ(w2.Walk(), (std::vector<Listed>{{"Partition - 1 ( NTFS )", 100, 200}}));
    EXPECT_NE(Notes(w2.Disk()).find("W: The master boot record has no boot signature"),
              std::string::npos);
    wiped.disk.Put8(1, 0, 0);
    wiped.disk.Put8(wiped.BackupLba(), 0, 0);
    EXPECT_TRUE(w2.Walk().empty());
    EXPECT_TRUE(w2.Disk().notes.empty()) << Notes(w2.Disk());
    EXPECT_EQ(w2.Disk().scheme, PartitionScheme::None);
}

// ---------------------------------------------------------------------------
// Fixtures made by sgdisk, cross-checked against sfdisk, sgdisk and mmls.

struct PeerEntry {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::string type; // GUID text, or sgdisk's four-digit code
    std::string unique;
    std::string name;
    bool operator==(const PeerEntry&) const = default;
};

PeerEntry Span(std::uint64_t first, std::uint64_t last, std::string type = {}) {
    PeerEntry e;
    e.first = first;
    e.last = last;
    e.type = std::move(type);
    return e;
}

std::ostream& operator<<(std::ostream& os, const PeerEntry& e) {
    return os << "{" << e.first << ".." << e.last << " " << e.type << " " << e.unique << " \""
              << e.name << "\"}";
}

std::vector<std::string> Lines(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>/dev/null").c_str(), "r"),
                                               ::pclose);
    std::vector<std::string> lines;
    char line[1024];
    while (pipe && std::fgets(line, sizeof line, pipe.get()) != nullptr) {
        lines.emplace_back(line);
    }
    return lines;
}

bool HaveTool(const char* tool) {
    return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
}

// sfdisk -d: "IMG1 : start= 2048, size= 16384, type=GUID, uuid=GUID, name="..."" (the
// name with \xHH escapes for bytes above 0x7F).
std::vector<PeerEntry> SfdiskEntries(const std::string& image) {
    std::vector<PeerEntry> out;
    for (const std::string& line : Lines("sfdisk -d '" + image + "'")) {
        const auto field = [&](const std::string& key) {
            const std::size_t at = line.find(key + "=");
            if (at == std::string::npos) {
                return std::string();
            }
            std::size_t from = at + key.size() + 1;
            while (from < line.size() && line[from] == ' ') {
                ++from;
            }
            if (line[from] == '"') {
                return line.substr(from + 1, line.rfind('"') - from - 1);
            }
            return line.substr(from, line.find_first_of(",\n", from) - from);
        };
        if (field("uuid").empty()) {
            continue; // header lines, and the protective entry of a disk without a table
        }
        std::string name;
        const std::string raw = field("name");
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw.compare(i, 2, "\\x") == 0 && i + 3 < raw.size()) {
                name += static_cast<char>(std::stoi(raw.substr(i + 2, 2), nullptr, 16));
                i += 3;
            } else {
                name += raw[i];
            }
        }
        const std::uint64_t start = std::stoull(field("start"));
        out.push_back(
            {start, start + std::stoull(field("size")) - 1, field("type"), field("uuid"), name});
    }
    return out;
}

// sgdisk -p: "   1   2048   18431   8.0 MiB   EF00  EFI system partition".
std::vector<PeerEntry> SgdiskEntries(const std::string& image) {
    std::vector<PeerEntry> out;
    for (const std::string& line : Lines("sgdisk -p '" + image + "'")) {
        std::istringstream in(line);
        std::uint32_t number = 0;
        PeerEntry e;
        std::string size, unit;
        if (in >> number >> e.first >> e.last >> size >> unit >> e.type) {
            out.push_back(e);
        }
    }
    return out;
}

// mmls: "004:  000   0000002048   0000018431   0000016384   EFI system partition".
std::vector<PeerEntry> MmlsEntries(const std::string& image) {
    std::vector<PeerEntry> out;
    for (const std::string& line : Lines("mmls '" + image + "'")) {
        std::istringstream in(line);
        std::string index, slot;
        PeerEntry e;
        std::uint64_t length = 0;
        if ((in >> index >> slot >> e.first >> e.last >> length) && slot != "Meta" &&
            slot.find('-') == std::string::npos) {
            out.push_back(Span(e.first, e.last));
        }
    }
    return out;
}

std::string SgdiskCode(const std::string& type) {
    static const std::map<std::string, std::string> codes = {
        {kEfiSystem, "EF00"},
        {kBasicData, "0700"},
        {"E3C9E316-0B5C-4DB8-817D-F92DF00215AE", "0C01"}};
    const auto it = codes.find(type);
    return it == codes.end() ? "?" : it->second;
}

class GptFixtureTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GptFixtureTest, MatchesManifestAndThePeers) {
    test::FixtureWalk walk(GetParam());
    walk.ExpectManifestPartitions();
    const DiskPartitions& disk = walk.Disk();
    const std::string& image = walk.image;
    const nlohmann::json& manifest = walk.manifest;
    EXPECT_EQ(disk.scheme, PartitionScheme::Gpt);
    const std::map<std::string, GptCopy> copies = {{"primary", GptCopy::Primary},
                                                   {"backup", GptCopy::Backup},
                                                   {"unreadable", GptCopy::Unreadable}};
    EXPECT_EQ(disk.gptCopy, copies.at(manifest["gptCopy"].get<std::string>()));
    for (std::uint32_t i = 0; i < disk.count; ++i) {
        const auto& expected = manifest["partitions"][i];
        const PartitionInfo& p = disk.partitions[i];
        EXPECT_EQ(p.gptEntry, expected["gptEntry"].get<std::uint32_t>());
        EXPECT_EQ(p.name, expected["name"].get<std::string>());
        EXPECT_EQ(p.typeGuid.Text(), expected["typeGuid"].get<std::string>());
        EXPECT_EQ(p.uniqueGuid.Text(), expected["uniqueGuid"].get<std::string>());
    }

    // Every used entry, as our reader sees it and as the peers do.
    const std::string device = DeviceNameTable::NameOf(0);
    const GptRead read =
        ReadGuidPartitionTable(walk.reader, device, walk.reader.DeviceSectors(device));
    std::vector<PeerEntry> ours, oursCoded, oursRange;
    for (const GptEntry& e : read.entries) {
        ours.push_back({e.firstLba, e.lastLba, e.typeGuid.Text(), e.uniqueGuid.Text(), e.name});
        oursCoded.push_back(Span(e.firstLba, e.lastLba, SgdiskCode(e.typeGuid.Text())));
        oursRange.push_back(Span(e.firstLba, e.lastLba));
    }
    EXPECT_EQ(ours.size(), disk.gptCopy == GptCopy::Unreadable ? 0u : 4u);
    for (const char* tool : {"sfdisk", "sgdisk", "mmls"}) {
        ASSERT_TRUE(HaveTool(tool)) << tool << " is needed for the cross-check";
    }
    EXPECT_EQ(ours, SfdiskEntries(image));
    EXPECT_EQ(oursCoded, SgdiskEntries(image));
    // mmls reads neither the backup table nor the arrays' CRC: it agrees where
    // the primary header is intact (on the damaged array too: only a name
    // differs there).
    if (manifest["damage"].empty() || GetParam() == "gpt-badarray") {
        EXPECT_EQ(oursRange, MmlsEntries(image));
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GptFixtureTest,
                         ::testing::Values("gpt-plain", "gpt-backup", "gpt-nogpt", "gpt-hybrid",
                                           "gpt-badarray"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 c = c == '-' ? '_' : c;
                             }
                             return name;
                         });

// With both tables gone the partition search is the way back: it finds the
// three volumes where the table had them.
TEST(GptFixtureSearchTest, SearchFindsTheVolumesOfALostTable) {
    test::FixtureWalk walk("gpt-nogpt");
    DiskPartitions& disk = walk.table[0];
    ASSERT_EQ(disk.count, 0u);
    test::RecordingProgress progress;
    const std::string device = DeviceNameTable::NameOf(0);
    const std::uint64_t sectors = walk.reader.DeviceSectors(device);
    SearchPartitions(walk.reader, device, {sectors / (255 * 63), 255, 63}, disk, walk.tree,
                     walk.root, progress);
    std::vector<std::pair<std::uint64_t, std::string>> found, expected;
    for (std::uint32_t i = 0; i < disk.count; ++i) {
        found.emplace_back(disk.partitions[i].firstSector,
                           std::string(FileSystemName(disk.partitions[i].fileSystem)));
    }
    for (const auto& e : walk.manifest["gptEntries"]) {
        if (!e["fileSystem"].is_null()) {
            expected.emplace_back(e["firstSector"].get<std::uint64_t>(),
                                  e["fileSystem"].get<std::string>());
        }
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(disk.gptCopy, GptCopy::Unreadable) << "the walk's finding stays for the result";
}

} // namespace
} // namespace quorvane
