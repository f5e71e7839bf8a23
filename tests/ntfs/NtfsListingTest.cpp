#include "engine/ntfs/NtfsListing.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(NtfsListing, DatesAndTimesArePlainDecimalUtc) {
    struct Case {
        std::int64_t fileTime;
        const char* date;
        const char* time;
    };
    const Case cases[] = {
        {0, "1-Jan-1601", "0:0:0"},
        // 2007-03-05 09:05:00 UTC
        {128'175'591'000'000'000, "5-Mar-2007", "9:5:0"},
        // 2024-03-15 10:00:00 UTC, the fixtures' clock
        {133'549'704'000'000'000, "15-Mar-2024", "10:0:0"},
        // 2000-02-29 23:59:59.9999999
        {125'963'423'999'999'999, "29-Feb-2000", "23:59:59"},
        {-1, "31-Dec-1600", "23:59:59"},
        {INT64_MAX, "14-Sep-30828", "2:48:5"},
        {INT64_MIN, "19-Apr--27627", "21:11:54"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NtfsDateText(c.fileTime), c.date) << c.fileTime;
        EXPECT_EQ(NtfsTimeText(c.fileTime), c.time) << c.fileTime;
    }
}

TEST(NtfsListing, TypeTableDiffersFromFatOnlyInTheFontImage) {
    struct Case {
        const char* name;
        int image;
        const char* text;
        const char* deleted;
    };
    const Case cases[] = {
        {"font.TTF", 9, "Font file", "Deleted Font file"},
        {"old.fon", 9, "Font file", "Deleted Font file"},
        {"sound.au", 17, "Sound file", "Deleted Sound file"},
        {"SOUND.WAV", 17, "Sound file", "Deleted Sound file"},
        {"x.au.bak", 19, "File", "Deleted File"},
        {"notes.txt", 20, "Text file", "Deleted Text file"},
        {"page.html", 12, "Internet file", "Deleted Internet file"},
        {"main.h", 11, "Header file", "Deleted Header file"},
        {"NOTES.Txt", 19, "File", "Deleted File"},
    };
    for (const Case& c : cases) {
        const FileType ntfs = NtfsTypeOf(c.name);
        EXPECT_EQ(ntfs.image, c.image) << c.name;
        EXPECT_EQ(ntfs.text, c.text) << c.name;
        EXPECT_EQ(ntfs.deletedText, c.deleted) << c.name;
        const FileType fat = FileTypeOf(c.name, FileTypeTable::Fat);
        EXPECT_EQ(fat.image, c.image == 9 ? 8 : c.image) << c.name;
        EXPECT_EQ(fat.text, ntfs.text) << c.name;
    }
}

EntryRow File(std::string name, std::uint32_t self, std::uint32_t parent, bool deleted = false) {
    EntryRow row;
    row.name = std::move(name);
    row.sector = 4000 + 2 * self;
    row.self = self;
    row.parent = parent;
    row.date = 128'175'591'000'000'000;
    row.size = 5'368'709'120ull;
    row.type = "FILE";
    row.deleted = deleted;
    return row;
}

TEST(NtfsListing, ListsTheFolderFilesWithTheirRowFormat) {
    EntryTableT files;
    files.Append(File("report.txt", 64, 5));
    files.Append(File("$Boot", 7, 5));           // a metafile
    files.Append(File("unnumbered.doc", 0, 5));  // no number assigned yet
    files.Append(File("gone.txt", 65, 5, true)); // deleted
    files.Append(File("elsewhere.txt", 66, 70)); // another folder
    files.Append(File("video.avi", 20, 5));

    ListModel list;
    SetFileListColumns(list);
    list.AppendRow("a sub-folder", 0);
    EXPECT_EQ(ListNtfsFolder(files, list, 1, 5), 3u);
    ASSERT_EQ(list.RowCount(), 4u);
    EXPECT_EQ(list.Cell(1, 0), "report.txt");
    EXPECT_EQ(list.RowAt(1).image, 20);
    EXPECT_EQ(list.Cell(1, 1), "Text file");
    EXPECT_EQ(list.Cell(1, 2), "5368709120");
    EXPECT_EQ(list.Cell(1, 3), "5-Mar-2007");
    EXPECT_EQ(list.Cell(1, 4), "9:5:0");
    EXPECT_EQ(list.Cell(1, 5), "4128");
    EXPECT_EQ(list.Cell(1, 6), "5");
    EXPECT_EQ(list.Cell(1, 7), "64");
    EXPECT_EQ(list.Cell(2, 0), "gone.txt");
    EXPECT_EQ(list.RowAt(2).image, 20);
    EXPECT_EQ(list.Cell(2, 1), "Deleted Text file");
    EXPECT_EQ(list.Cell(3, 0), "video.avi");
    EXPECT_EQ(list.Cell(3, 1), "Video File");

    const FileEntry entry = NtfsFileEntry(files[3]);
    EXPECT_EQ(entry.name, "gone.txt");
    EXPECT_TRUE(entry.deleted);
    EXPECT_FALSE(entry.folder);
    EXPECT_EQ(entry.first, 65u);
    EXPECT_EQ(entry.parent, 5u);
    EXPECT_EQ(entry.size, 5'368'709'120ull);
    EXPECT_EQ(entry.sector, 4130u);

    ListModel empty;
    EXPECT_EQ(ListNtfsFolder(files, empty, 0, 99), 0u);
    EXPECT_EQ(empty.RowCount(), 0u);

    // The chosen rows only, in the order given.
    ListModel picked;
    const std::size_t rows[] = {5, 0, 4, 42};
    EXPECT_EQ(ListNtfsFolder(files, rows, picked, 0, 5), 2u);
    EXPECT_EQ(picked.Cell(0, 0), "video.avi");
    EXPECT_EQ(picked.Cell(1, 0), "report.txt");
}

} // namespace
} // namespace quorvane
