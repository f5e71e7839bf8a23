#include "engine/ntfs/IndexRecord.h"
#include "tests/ntfs/CraftedRecords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane {
namespace {

using test::PutLe;

// A 4096-byte index record as mkntfs and ntfs-3g write them: update sequence
// array at 0x28 (count 9), entries from 0x18 + 0x28.
class CraftedIndexRecord {
public:
    std::vector<std::byte> bytes = std::vector<std::byte>(4096);

    explicit CraftedIndexRecord(std::uint64_t vcn = 0) {
        test::PutText(bytes, 0, "INDX");
        PutLe(bytes, 0x04, 0x28, 2);
        PutLe(bytes, 0x06, 9, 2);
        PutLe(bytes, 0x10, vcn, 8);
        PutLe(bytes, 0x18, 0x28, 4);      // first entry, from 0x18
        PutLe(bytes, 0x20, 4096 - 24, 4); // allocated size of the entries
    }

    // Appends an entry naming `own` in folder `parent`.
    std::size_t Entry(std::uint64_t own, std::uint64_t parent, std::u16string_view name,
                      bool folder, std::int64_t created = 0) {
        const auto key = test::FileNameContent(parent, name, 1, created, folder ? 0x10000000 : 0);
        const std::size_t length = (0x10 + key.size() + 7) / 8 * 8;
        const std::size_t at = cursor_;
        PutLe(bytes, at, own, 8);
        PutLe(bytes, at + 0x08, length, 2);
        PutLe(bytes, at + 0x0A, key.size(), 2);
        std::copy(key.begin(), key.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at + 0x10));
        cursor_ += length;
        return at;
    }
    std::size_t Last() {
        const std::size_t at = cursor_;
        PutLe(bytes, at + 0x08, 0x10, 2);
        PutLe(bytes, at + 0x0C, 0x02, 2);
        cursor_ += 0x10;
        return at;
    }
    // Sector tails replaced by the sequence number, as on disk.
    void Protect(std::uint16_t usn) {
        PutLe(bytes, 0x28, usn, 2);
        for (std::size_t i = 0; i < 8; ++i) {
            bytes[0x2A + 2 * i] = bytes[510 + 512 * i];
            bytes[0x2B + 2 * i] = bytes[511 + 512 * i];
            PutLe(bytes, 510 + 512 * i, usn, 2);
        }
    }

private:
    std::size_t cursor_ = 0x40;
};

TEST(IndexRecord, RowNamesTheFolderThatOwnsTheRecord) {
    MftRecordTableT table;
    std::size_t counter = 0;
    struct Case {
        std::uint64_t owner;
        bool row;
    };
    for (const Case c : {Case{3, false}, Case{4, false}, Case{5, true}, Case{0xFFFFFFFF, false},
                         Case{0x1'0000'0040, true}}) {
        CraftedIndexRecord r(c.row ? 2 : 0);
        r.Entry(70, c.owner, u"child.txt", false);
        r.Last();
        r.Protect(3);
        AddIndexRecordRow(table, counter, 1000 + counter, r.bytes);
        EXPECT_EQ(table.RowCount(), counter) << c.owner;
        if (c.row) {
            const MftRecordRow& row = table[counter - 1];
            EXPECT_EQ(row.mftReference, static_cast<std::uint32_t>(c.owner));
            EXPECT_EQ(row.Cell(2), "2");
            EXPECT_EQ(row.Cell(3), "4294967295");
        }
    }
    ASSERT_EQ(table.RowCount(), 2u);
    EXPECT_EQ(table[0].Cell(0), "1000");
    EXPECT_EQ(table[0].Cell(1), "5");
    EXPECT_EQ(table[1].Cell(1), "64");
}

TEST(IndexRecord, SizeFromTheHeaderIsBounded) {
    struct Case {
        std::uint32_t entriesSize;
        std::optional<std::size_t> size;
    };
    for (const Case c :
         {Case{4096 - 24, 4096}, Case{0x10000 - 24, 0x10000}, Case{0x10000 - 23, std::nullopt},
          Case{0xFFFFFFFF, std::nullopt}, Case{0, std::nullopt}, Case{1000, 1024}}) {
        CraftedIndexRecord r;
        PutLe(r.bytes, 0x20, c.entriesSize, 4);
        EXPECT_EQ(IndexRecordSize(r.bytes), c.size) << c.entriesSize;
    }
    // A record larger than the bytes at hand reads the rest as zeros.
    CraftedIndexRecord big;
    PutLe(big.bytes, 0x20, 0x10000 - 24, 4);
    const auto record = ReadIndexRecord(big.bytes);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->bytes.size(), 0x10000u);

    std::vector<std::byte> file(512);
    test::PutText(file, 0, "FILE");
    EXPECT_FALSE(ReadIndexRecord(file));
}

TEST(IndexRecord, WalkReadsEveryEntryAndTheSlackBehindTheLastOne) {
    CraftedIndexRecord r(0);
    r.Entry(0x0002'0000'0000'0041, 64, u"Projects", true, 1234);
    r.Entry(66, 64, u"notes.txt", false, 99);
    r.Last();
    r.Entry(67, 64, u"removed.txt", false); // a removed entry left in the slack
    // Enough entries to cross the first sector's tail.
    for (int i = 0; i < 12; ++i) {
        r.Entry(100 + i, 64, u"a name long enough to fill a sector.txt", false);
    }
    r.Protect(0x4242);
    const auto record = ReadIndexRecord(r.bytes);
    ASSERT_TRUE(record);
    const std::vector<IndexEntry> entries = WalkIndexEntries(*record);
    ASSERT_EQ(entries.size(), 15u);
    EXPECT_EQ(entries[0].fileReference, 0x41u);
    EXPECT_TRUE(entries[0].key.IsFolder());
    EXPECT_EQ(entries[0].key.parent, 64u);
    EXPECT_EQ(entries[0].key.creationTime, 1234);
    EXPECT_EQ(entries[0].key.name, "Projects");
    EXPECT_FALSE(entries[1].key.IsFolder());
    EXPECT_EQ(entries[2].key.name, "removed.txt");
    for (const IndexEntry& e : entries) {
        if (e.fileReference >= 100) {
            EXPECT_EQ(e.key.name, "a name long enough to fill a sector.txt") << e.fileReference;
        }
    }
}

TEST(IndexRecord, CorruptEntriesEndOrAreSkipped) {
    struct Case {
        const char* what;
        std::size_t field; // in the second entry
        std::uint64_t value;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"length 0 ends the walk", 0x08, 0, {"first"}},
        {"length shorter than an entry header ends the walk", 0x08, 0x0F, {"first"}},
        {"a name longer than its entry is passed over", 0x50, 200, {"first", "third"}},
    };
    for (const Case& c : cases) {
        CraftedIndexRecord r;
        r.Entry(70, 64, u"first", false);
        const std::size_t second = r.Entry(71, 64, u"second", false);
        r.Entry(72, 64, u"third", false);
        PutLe(r.bytes, second + c.field, c.value, c.field == 0x50 ? 1 : 2);
        const auto record = ReadIndexRecord(r.bytes);
        ASSERT_TRUE(record);
        std::vector<std::string> names;
        for (const IndexEntry& e : WalkIndexEntries(*record)) {
            names.push_back(e.key.name);
        }
        EXPECT_EQ(names, c.names) << c.what;
    }

    // First entry past the record: no entries, no owner.
    CraftedIndexRecord far;
    PutLe(far.bytes, 0x18, 0xFFFFFFF0, 4);
    const auto record = ReadIndexRecord(far.bytes);
    ASSERT_TRUE(record);
    EXPECT_TRUE(WalkIndexEntries(*record).empty());
    EXPECT_FALSE(IndexRecordOwner(*record));
}

} // namespace
} // namespace quorvane
