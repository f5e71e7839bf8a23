#include "engine/ntfs/MftRecord.h"
#include "engine/ntfs/AttributeList.h"
#include "engine/ntfs/MftEntryRows.h"
#include "tests/ntfs/CraftedRecords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane {
namespace {

using test::Bytes;
using test::CraftedRecord;
using test::PutLe;

std::uint8_t At(std::span<const std::byte> bytes, std::size_t offset) {
    return static_cast<std::uint8_t>(bytes[offset]);
}

TEST(FixupRecord, CountThreeRestoresTheFirstSectorTailOnly) {
    CraftedRecord r;
    r.Put(510, 0xCDAB, 2);
    r.Put(1022, 0x01EF, 2);
    r.Protect(0x1234);
    ASSERT_EQ(At(r.bytes, 510), 0x34);

    FixupRecord(r.bytes);
    EXPECT_EQ(At(r.bytes, 510), 0xAB);
    EXPECT_EQ(At(r.bytes, 511), 0xCD);
    // The array describes two sectors; the last one keeps the sequence number.
    EXPECT_EQ(At(r.bytes, 1022), 0x34);
    EXPECT_EQ(At(r.bytes, 1023), 0x12);
}

TEST(FixupRecord, RestoresAllButTheLastSectorOfALargerRecord) {
    // An index record of 4096 bytes: count 9, eight sectors described.
    std::vector<std::byte> record(4096, std::byte{0x11});
    PutLe(record, 0x04, 0x28, 2);
    PutLe(record, 0x06, 9, 2);
    for (std::size_t i = 0; i < 8; ++i) {
        PutLe(record, 0x2A + 2 * i, 0xA0 + i, 2);
    }
    FixupRecord(record);
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(At(record, 510 + 512 * i), 0xA0 + i) << i;
    }
    EXPECT_EQ(At(record, 4094), 0x11);
}

TEST(FixupRecord, LeavesTheRecordAloneWhenTheArrayDoesNotFit) {
    struct Case {
        std::uint16_t offset;
        std::uint16_t count;
    };
    for (const Case c : {Case{1023, 3}, Case{0xFFFF, 3}, Case{0x30, 0}, Case{0x30, 1},
                         Case{0x30, 2}, Case{0x30, 0xFFFF}}) {
        CraftedRecord r;
        r.Put(0x04, c.offset, 2);
        r.Put(0x06, c.count, 2);
        r.Put(0x32, 0x7777, 2);
        r.Put(510, 0x5555, 2);
        const auto before = r.bytes;
        FixupRecord(r.bytes);
        EXPECT_EQ(r.bytes, before) << c.offset << " " << c.count;
    }
    std::vector<std::byte> tiny = Bytes({'F', 'I', 'L', 'E', 0x02, 0x00, 0x03, 0x00});
    FixupRecord(tiny); // nothing to restore and no read past the buffer
}

struct NameCase {
    const char* what;
    std::vector<std::pair<std::u16string, std::uint8_t>> names; // in record order
    std::string expected;                                       // "" = no name
};
void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.what;
}

class Namespaces : public ::testing::TestWithParam<NameCase> {};

TEST_P(Namespaces, PreferLongNamesOverTheDosName) {
    CraftedRecord r;
    for (const auto& [name, ns] : GetParam().names) {
        r.FileName(5, name, ns);
    }
    const auto info = ReadPreferredFileName(r.View());
    EXPECT_EQ(info ? info->name : "", GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    MftRecord, Namespaces,
    ::testing::Values(
        NameCase{"Win32 over DOS", {{u"LONGNA~1.TXT", 2}, {u"Long name.txt", 1}}, "Long name.txt"},
        NameCase{
            "Win32 before DOS", {{u"Long name.txt", 1}, {u"LONGNA~1.TXT", 2}}, "Long name.txt"},
        NameCase{"DOS alone", {{u"SHORT.TXT", 2}}, "SHORT.TXT"},
        NameCase{"Win32 and DOS", {{u"README.TXT", 3}}, "README.TXT"},
        NameCase{"Win32 over Win32 and DOS", {{u"A.TXT", 3}, {u"b.txt", 1}}, "b.txt"},
        NameCase{"POSIX alone", {{u"written on linux", 0}}, "written on linux"},
        NameCase{"POSIX over DOS", {{u"LINKNA~1", 2}, {u"link name", 0}}, "link name"},
        NameCase{"Win32 over POSIX", {{u"hard link", 0}, {u"original.doc", 1}}, "original.doc"},
        NameCase{"no file name", {}, ""}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

TEST(ReadFileName, TakesParentAndTimeAndDecodesTheName) {
    CraftedRecord r;
    // Parent 0x1_0000_0040 with sequence 7 in the top 16 bits of the reference.
    r.FileName(0x0007'0001'0000'0040ull, u"R\u00e9sum\u00e9 \U0001F600.txt", 1,
               128'166'372'000'000'000);
    const auto info = ReadFileName(r.View(), 1);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, "R\xC3\xA9sum\xC3\xA9 \xF0\x9F\x98\x80.txt");
    EXPECT_EQ(info->parent, 0x0001'0000'0040ull);
    EXPECT_EQ(info->parentSequence, 7);
    EXPECT_EQ(info->creationTime, 128'166'372'000'000'000);
    EXPECT_FALSE(ReadFileName(r.View(), 2));

    // The row's 32-bit parent cell holds the low 32 bits.
    EXPECT_EQ(MftEntryRowOf(r.View(), 0).parentMft, 0x40u);
}

TEST(ReadFileName, ShowsControlCharactersAndBrokenSurrogatesEscaped) {
    CraftedRecord r;
    r.FileName(5, std::u16string(u"a\0b\x01\x7F\xD800z", 7), 1);
    const auto info = ReadFileName(r.View(), 1);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, "a\\x00b\\x01\\x7F\\uD800z");
}

TEST(ReadFileName, PassesOverNamedAttributesAndStopsAtCorruptOffsets) {
    CraftedRecord named;
    named.Resident(0x30, test::FileNameContent(5, u"named", 1, 0), u"X");
    named.FileName(5, u"plain", 1);
    EXPECT_EQ(ReadFileName(named.View(), 1)->name, "plain");

    for (const std::int16_t contentOffset :
         {std::int16_t{-8}, std::int16_t{0x08}, std::int16_t{0x7F00}}) {
        CraftedRecord r;
        const std::size_t at = r.FileName(5, u"name", 1);
        r.Put(at + 0x14, static_cast<std::uint16_t>(contentOffset), 2);
        EXPECT_FALSE(ReadFileName(r.View(), 1)) << contentOffset;
    }

    // A name whose characters run past the end of the record.
    CraftedRecord tail;
    const std::size_t at = tail.FileName(5, u"name", 1);
    tail.Put(at + 0x18 + 0x40, 255, 1);
    const auto cut = std::span<const std::byte>(tail.bytes).first(at + 0x18 + 0x42 + 100);
    EXPECT_FALSE(ReadFileName(cut, 1));
}

TEST(AttributeWalk, EndsAtCorruptHeaders) {
    struct Case {
        const char* what;
        std::size_t offset; // into the first attribute, or 0x14 for the record header
        std::uint64_t value;
        std::size_t width;
    };
    const Case cases[] = {
        {"length 0", 0x04, 0, 4},
        {"length beyond the record", 0x04, 5000, 4},
        {"type 0", 0x00, 0, 4},
        {"end marker first", 0x00, 0xFFFFFFFF, 4},
        {"negative first offset", 0x14, 0x8038, 2},
        {"first offset past the record", 0x14, 1024, 2},
    };
    for (const Case& c : cases) {
        CraftedRecord r;
        const std::size_t first = r.Resident(0x10, Bytes({1, 2, 3, 4})); // a standard info
        r.FileName(5, u"behind.txt", 1);
        r.Resident(0x80, Bytes({1, 2, 3}));
        r.Put(c.offset == 0x14 ? 0x14 : first + c.offset, c.value, c.width);
        EXPECT_FALSE(ReadPreferredFileName(r.View())) << c.what;
        EXPECT_FALSE(ReadDataSize(r.View())) << c.what;
        EXPECT_EQ(FindDataAttribute(r.View()).location, DataLocation::None) << c.what;
    }
}

TEST(AttributeWalk, AttributesThatLoopBackCannotHangTheWalk) {
    // Every length is positive, so a walk only ever moves forward; a length
    // that wraps the 32-bit offset is taken as reaching past the record.
    CraftedRecord r;
    const std::size_t at = r.Resident(0x10, Bytes({1, 2, 3, 4}));
    r.Put(at + 0x04, 0xFFFFFFF8, 4);
    EXPECT_FALSE(ReadPreferredFileName(r.View()));
    EXPECT_EQ(FindNamedI30(r.View(), 0x90, I30NameAt::Resident), 0u);
}

TEST(ReadDataSize, UnnamedStreamOnlyAndSixtyFourBits) {
    CraftedRecord resident;
    resident.Resident(0x80, std::vector<std::byte>(300), u"stream");
    resident.Resident(0x80, std::vector<std::byte>(123));
    EXPECT_EQ(ReadDataSize(resident.View()), 123u);
    EXPECT_EQ(FindDataAttribute(resident.View()).location, DataLocation::Resident);

    CraftedRecord large;
    const std::size_t at = large.NonResident(0x80, Bytes({0x11, 0x05, 0x10}), 5'368'709'120ull);
    EXPECT_EQ(ReadDataSize(large.View()), 5'368'709'120ull);
    const DataAttribute data = FindDataAttribute(large.View());
    EXPECT_EQ(data.location, DataLocation::NonResident);
    EXPECT_EQ(data.offset, at);
    EXPECT_EQ(MftEntryRowOf(large.View(), 0).size, 5'368'709'120ull);

    CraftedRecord onlyNamed;
    onlyNamed.Resident(0x80, std::vector<std::byte>(10), u"Zone.Identifier");
    EXPECT_FALSE(ReadDataSize(onlyNamed.View()));
    EXPECT_EQ(MftEntryRowOf(onlyNamed.View(), 0).size, 0u);

    CraftedRecord badFlag;
    const std::size_t bad = badFlag.Resident(0x80, std::vector<std::byte>(10));
    badFlag.Put(bad + 0x08, 2, 1);
    EXPECT_EQ(FindDataAttribute(badFlag.View()).location, DataLocation::None);
}

TEST(FolderSelfNumber, ComesFromTheFirstEntryOfTheIndexRoot) {
    CraftedRecord folder(0x03);
    folder.FileName(5, u"Docs", 1);
    folder.IndexRoot(64, u"child.txt");
    EXPECT_EQ(FindNamedI30(folder.View(), 0x90, I30NameAt::Resident), 0x38u + 0x68u);
    EXPECT_EQ(FolderSelfNumber(folder.View()), 64u);
    const MftEntryRow row = MftEntryRowOf(folder.View(), 2000);
    EXPECT_EQ(row.type, "FOLDER");
    EXPECT_EQ(row.selfMft, 64u);
    EXPECT_EQ(row.Cell(3), "64");
    EXPECT_EQ(row.Cell(1), "2000");

    CraftedRecord empty(0x03);
    empty.IndexRoot(64, u"");
    EXPECT_EQ(FolderSelfNumber(empty.View()), 0u);

    CraftedRecord noReference(0x03);
    noReference.IndexRoot(0xFFFFFFFF, u"x");
    EXPECT_EQ(FolderSelfNumber(noReference.View()), 0u);

    CraftedRecord otherName(0x03);
    otherName.Resident(0x90, std::vector<std::byte>(0x60), u"$O");
    EXPECT_EQ(FolderSelfNumber(otherName.View()), 0u);
}

TEST(FirstIndexCluster, ReadsTheFirstRunOfTheIndexAllocation) {
    CraftedRecord folder(0x03);
    folder.IndexRoot(70, u"");
    folder.NonResident(0xA0, Bytes({0x31, 0x01, 0x00, 0x10, 0x20}), 4096, u"$I30");
    EXPECT_EQ(FirstIndexCluster(folder.View()), 0x201000u);
    EXPECT_EQ(MftEntryRowOf(folder.View(), 0).firstRun, 0x201000u);

    CraftedRecord wide(0x03);
    wide.NonResident(0xA0, Bytes({0x81, 0x01, 1, 2, 3, 4, 5, 6, 7, 0x08}), 4096, u"$I30");
    EXPECT_EQ(FirstIndexCluster(wide.View()), 0x0807060504030201u);

    CraftedRecord none(0x03);
    none.IndexRoot(70, u"a");
    EXPECT_EQ(FirstIndexCluster(none.View()), 0u);
    EXPECT_EQ(MftEntryRowOf(none.View(), 0).firstRun, 0u);
}

TEST(MftEntryRow, FoldersFilesAndDeletedRecordsByTheirFlags) {
    struct Case {
        std::uint8_t flags;
        const char* type;
        bool deleted;
    };
    for (const Case c :
         {Case{0x01, "File", false}, Case{0x00, "File", true}, Case{0x03, "FOLDER", false},
          Case{0x02, "FOLDER", true}, Case{0x09, "File", false}, Case{0x0D, "File", false}}) {
        CraftedRecord r(c.flags);
        r.FileName(5, u"entry", 1, 42);
        const MftEntryRow row = MftEntryRowOf(r.View(), 77);
        EXPECT_EQ(row.type, c.type) << int(c.flags);
        EXPECT_EQ(row.deleted, c.deleted) << int(c.flags);
        EXPECT_EQ(row.Cell(9), c.deleted ? "1" : "") << int(c.flags);
        EXPECT_EQ(row.Cell(6), "0");
        EXPECT_EQ(row.Cell(7), "42");
    }
}

TEST(MftEntryRow, MetafilesGetTheirFixedNumbers) {
    struct Case {
        const char16_t* name;
        std::uint32_t number;
    };
    for (const Case c :
         {Case{u"$MFT", 1}, Case{u"$MFTMirror", 1}, Case{u"$LogFile", 2}, Case{u"$Volume", 3},
          Case{u"$AttrDef", 4}, Case{u"$Bitmap", 6}, Case{u"$Boot", 7}, Case{u"$BadClus", 8},
          Case{u"$Secure", 9}, Case{u"$UpCase", 10}, Case{u"$upcase", 0}, Case{u"$MFTMirr", 0},
          Case{u"$Boot2", 0}, Case{u"notes.txt", 0}}) {
        CraftedRecord r;
        r.FileName(5, c.name, 3);
        EXPECT_EQ(MftEntryRowOf(r.View(), 0).selfMft, c.number);
    }
}

TEST(MftEntryRow, RecordWithoutNameOrDataStillMakesARow) {
    MftEntryTableT table;
    std::size_t counter = 0;
    CraftedRecord bare(0x00);
    AddMftEntryRow(table, counter, 16, bare.View());
    CraftedRecord named;
    named.FileName(5, u"second", 1, 9);
    named.Resident(0x80, std::vector<std::byte>(17));
    AddMftEntryRow(table, counter, 18, named.View());
    ASSERT_EQ(counter, 2u);
    EXPECT_EQ(table[0].name, "");
    EXPECT_EQ(table[0].Cell(2), "0");
    EXPECT_EQ(table[0].Cell(7), "0");
    EXPECT_EQ(table[0].Cell(4), "0");
    EXPECT_EQ(table[1].name, "second");
    EXPECT_EQ(table[1].Cell(4), "17");

    // The fix-up is applied to a copy before decoding: a name across the
    // first sector's tail reads whole.
    CraftedRecord across;
    across.Resident(0x10, std::vector<std::byte>(0x138));
    const std::size_t name = across.FileName(5, u"across the sector tail.txt", 1) + 0x18 + 0x42;
    ASSERT_LT(name, 510u);
    ASSERT_GT(name + 52, 512u);
    across.Protect(0x0BAD);
    EXPECT_EQ(MftEntryRowOf(across.View(), 0).name, "across the sector tail.txt");
    EXPECT_NE(ReadFileName(across.View(), 1)->name, "across the sector tail.txt");
}

std::vector<std::byte> ListEntry(std::uint32_t type, std::uint64_t record,
                                 std::size_t length = 0x20) {
    std::vector<std::byte> e(length);
    PutLe(e, 0x00, type, 4);
    PutLe(e, 0x04, length, 2);
    PutLe(e, 0x10, record | (std::uint64_t{3} << 48), 8);
    return e;
}

TEST(AttributeList, NamesEachExtensionRecordOnceAndAtMostFifty) {
    std::vector<std::byte> content;
    auto add = [&](std::uint32_t type, std::uint64_t record) {
        const auto e = ListEntry(type, record);
        content.insert(content.end(), e.begin(), e.end());
    };
    add(0x10, 30); // the base record itself
    add(0x30, 30);
    add(0x80, 31);
    add(0x80, 32);
    add(0x80, 31); // again
    add(0xA0, 33);

    CraftedRecord base;
    base.Resident(0x20, content);
    const AttributeListPlace place = FindAttributeList(base.View());
    ASSERT_EQ(place.location, DataLocation::Resident);
    const auto entries = DecodeAttributeList(place.content);
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[2].recordNumber, 31u);
    EXPECT_EQ(entries[2].recordSequence, 3u);
    EXPECT_EQ(ListedRecords(30, entries), (std::vector<std::uint64_t>{30, 31, 32, 33}));
    EXPECT_EQ(ListedRecords(30, entries, 0x80u), (std::vector<std::uint64_t>{30, 31, 32}));

    std::vector<AttributeListEntry> many;
    for (std::uint64_t n = 100; n < 200; ++n) {
        many.push_back({.type = 0x80, .recordNumber = n});
    }
    const auto capped = ListedRecords(99, many);
    EXPECT_EQ(capped.size(), kMaxListedRecords);
    EXPECT_EQ(capped.back(), 148u);
}

TEST(AttributeList, CorruptEntriesEndTheList) {
    struct Case {
        const char* what;
        std::vector<std::byte> second;
    };
    const Case cases[] = {
        {"length 0", ListEntry(0x80, 40, 0x20)},
        {"shorter than an entry", ListEntry(0x80, 40, 0x20)},
        {"past the content", ListEntry(0x80, 40, 0x20)},
        {"type 0", ListEntry(0, 40, 0x20)},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        std::vector<std::byte> content = ListEntry(0x80, 39);
        std::vector<std::byte> second = cases[i].second;
        if (i == 0) {
            PutLe(second, 0x04, 0, 2);
        } else if (i == 1) {
            PutLe(second, 0x04, 0x18, 2);
        } else if (i == 2) {
            PutLe(second, 0x04, 0x28, 2);
        }
        content.insert(content.end(), second.begin(), second.end());
        const auto entries = DecodeAttributeList(content);
        ASSERT_EQ(entries.size(), 1u) << cases[i].what;
        EXPECT_EQ(entries[0].recordNumber, 39u);
    }

    CraftedRecord nonResident;
    nonResident.NonResident(0x20, Bytes({0x11, 0x01, 0x40}), 0x40);
    EXPECT_EQ(FindAttributeList(nonResident.View()).location, DataLocation::NonResident);
    EXPECT_EQ(FindAttributeList(CraftedRecord().View()).location, DataLocation::None);
}

} // namespace
} // namespace quorvane
