#include "engine/raw/RawRecovery.h"
#include "engine/raw/RawCopyPlan.h"
#include "engine/raw/RawRecoveryRun.h"
#include "tests/raw/RawTestDisk.h"

#include <gtest/gtest.h>

#include <thread>

namespace quorvane {
namespace {

using test::CraftedDisk;
using test::RawRunner;

constexpr RawTypeSelection kAll = {true, true, true, true};

void Compound(CraftedDisk& disk, std::uint64_t sector) {
    disk.PutText(sector, 0, kCompoundSignature);
}
void Zip(CraftedDisk& disk, std::uint64_t sector, char version = 0x14) {
    disk.PutText(sector, 0, std::string("PK\x03\x04", 4) + version + std::string(1, '\0'));
}
void WordMarker(CraftedDisk& disk, std::uint64_t sector, std::size_t offset = 100) {
    disk.PutText(sector, offset, "Word.Document");
}
void ZipEnd(CraftedDisk& disk, std::uint64_t sector, std::size_t offset = 100) {
    disk.PutText(sector, offset, RawSignatureTable[5].marker);
}
// Every sector tagged with its number, so copies can be checked byte by byte.
void Tag(CraftedDisk& disk) {
    for (std::uint64_t s = 0; s < disk.bytes.size() / 512; ++s) {
        disk.Put32(s, 400, static_cast<std::uint32_t>(s));
    }
}
std::vector<std::byte> Sectors(const CraftedDisk& disk, std::uint64_t first, std::uint64_t count) {
    return {disk.bytes.begin() + static_cast<std::ptrdiff_t>(first * 512),
            disk.bytes.begin() + static_cast<std::ptrdiff_t>((first + count) * 512)};
}

TEST(RawRecoveryTest, WordMarkerFiftySectorsInGivesSixtySectors) {
    CraftedDisk disk(4000);
    Tag(disk);
    Compound(disk, 1000);
    WordMarker(disk, 1050);
    RawRunner run(disk.bytes);
    const RawRunOutcome outcome = run.Run();
    ASSERT_EQ(run.Names(), std::vector<std::string>{"DOC1.DOC"});
    // Runs of 20, 20, 10 and one more of 10: the marker's sector and nine after it.
    EXPECT_EQ(run.File("DOC1.DOC"), Sectors(disk, 1000, 60));
    EXPECT_EQ(outcome.recovered[0], 1u);
    ASSERT_EQ(run.observer.files.size(), 1u);
    EXPECT_EQ(run.observer.files[0].endSector, 1050u);
    EXPECT_EQ(run.tables.RawResultList.Cell(0, 0), "Total Word File(s) Recovered :  1");
}

TEST(RawRecoveryTest, TypeCheckAndSectorZero) {
    CraftedDisk disk(4000);
    Compound(disk, 0); // sector 0: decided, never written nor numbered
    WordMarker(disk, 5);
    Compound(disk, 1000);
    disk.PutText(1000 + 4768 / 512, 4768 % 512, "Microsoft Excel");
    WordMarker(disk, 1030);
    Compound(disk, 1200);
    disk.PutText(1200 + 1152 / 512, 1152 % 512, kPowerPointMarker);
    WordMarker(disk, 1230);
    RawRunner run(disk.bytes);
    run.Run();
    EXPECT_EQ(run.Names(), (std::vector<std::string>{"PPT2.PPT", "XLS1.XLS"}));
}

TEST(RawRecoveryTest, TwoCompoundFilesInOneWindow) {
    CraftedDisk disk(4000);
    Tag(disk);
    Compound(disk, 810);
    WordMarker(disk, 820);
    Compound(disk, 900);
    WordMarker(disk, 950); // follows the second start: the first ends before it
    RawRunner run(disk.bytes);
    run.Run();
    ASSERT_EQ(run.observer.files.size(), 2u);
    EXPECT_EQ(run.observer.files[0].endSector, 899u);
    EXPECT_EQ(run.observer.files[1].endSector, 950u);
    EXPECT_EQ(run.File("DOC1.DOC"), Sectors(disk, 810, 98));
}

TEST(RawRecoveryTest, CapAndTheCompoundFilesOwnLength) {
    // A compound file whose marker lies far on: cut at the cap without a
    // length of its own, copied to its length when its header gives one.
    const std::uint64_t start = 1000;
    const std::uint64_t fileSectors = 12288; // 6 MiB
    CraftedDisk disk(start + 20000);
    Compound(disk, start);
    WordMarker(disk, start + 15000);
    RawRunner capped(disk.bytes);
    capped.Run();
    ASSERT_EQ(capped.observer.files.size(), 1u);
    EXPECT_EQ(capped.observer.files[0].bytes, 10240 + kRawCopyCap);

    // Header: version 3, 512-byte sectors, 96 FAT sectors at file sectors
    // 0..95, the directory at 96; the last FAT sector marks sector 12286 as
    // the last one used.
    disk.Put16(start, 0x18, 0x3E);
    disk.Put16(start, 0x1A, 3);
    disk.Put16(start, 0x1C, 0xFFFE);
    disk.Put16(start, 0x1E, 9);
    disk.Put16(start, 0x20, 6);
    disk.Put32(start, 0x2C, 96);
    disk.Put32(start, 0x30, 96);
    for (std::uint32_t i = 0; i < 109; ++i) {
        disk.Put32(start, 0x4C + 4 * i, i < 96 ? i : 0xFFFFFFFF);
    }
    const std::uint64_t lastFat = start + 1 + 95;
    for (std::size_t j = 0; j < 128; ++j) {
        disk.Put32(lastFat, 4 * j, j <= 126 ? 0xFFFFFFFE : 0xFFFFFFFF);
    }
    RawRunner mended(disk.bytes);
    mended.Run();
    ASSERT_EQ(mended.observer.files.size(), 1u);
    EXPECT_GE(mended.observer.files[0].bytes, fileSectors * 512);
    EXPECT_LT(mended.observer.files[0].bytes, fileSectors * 512 + 10240);
    EXPECT_TRUE(mended.observer.files[0].sizeFromStructure);
    RawRunner exact(disk.bytes);
    exact.Run(kAll, true);
    ASSERT_EQ(exact.observer.files.size(), 1u);
    EXPECT_EQ(exact.File("DOC1.DOC"), Sectors(disk, start, fileSectors));
}

TEST(RawRecoveryTest, ZipHasNoCapAndComesBeforeACompoundFileOfItsWindow) {
    CraftedDisk disk(20000);
    Zip(disk, 1000, 0x2D);
    ZipEnd(disk, 13000);
    Zip(disk, 13610, 0x0A); // a ZIP, then a compound file, in one window
    ZipEnd(disk, 13620);
    Compound(disk, 13700);
    WordMarker(disk, 13750);
    Zip(disk, 16000, 0x09); // version 0.9 is no ZIP start
    ZipEnd(disk, 16010);
    RawRunner run(disk.bytes);
    run.Run();
    EXPECT_EQ(run.Names(), (std::vector<std::string>{"DOC3.DOC", "ZIP1.ZIP", "ZIP2.ZIP"}));
    ASSERT_EQ(run.observer.files.size(), 3u);
    EXPECT_EQ(run.observer.files[0].bytes, (12000 + 20) * 512u); // past 5 MiB: no cap
    EXPECT_EQ(run.observer.files[1].endSector, 13620u); // its own end, not the Word marker's
}

TEST(RawRecoveryTest, FilesEndingInLaterWindowsAndMarkersAcrossTheSeam) {
    CraftedDisk disk(8000);
    Compound(disk, 900); // window 1; its marker three windows on
    WordMarker(disk, 3300);
    Zip(disk, 4000); // window 5; its end record straddles windows 5 and 6
    disk.PutText(4799, 510, RawSignatureTable[5].marker);
    Compound(disk, 5000); // carried, then ended by the next window's first start
    Compound(disk, 6500);
    WordMarker(disk, 6510);
    RawRunner run(disk.bytes);
    const RawRunOutcome outcome = run.Run();
    ASSERT_EQ(run.observer.files.size(), 4u);
    const std::vector<std::pair<std::uint64_t, std::uint64_t>> expected = {
        {900, 3300}, {4000, 4799}, {5000, 6499}, {6500, 6510}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(run.observer.files[i].firstSector, expected[i].first);
        EXPECT_EQ(run.observer.files[i].endSector, expected[i].second);
    }
    EXPECT_EQ(outcome.candidates, 4u);
}

TEST(RawRecoveryTest, OnlyCheckedTypesGetRowsAndNumbersCountEveryCandidate) {
    CraftedDisk disk(4000);
    Compound(disk, 1000);
    WordMarker(disk, 1010);
    Compound(disk, 1100);
    disk.PutText(1110, 0, kWorkbookMarker);
    Zip(disk, 1200);
    ZipEnd(disk, 1210);
    RawRunner run(disk.bytes);
    run.Run({false, true, false, true});
    EXPECT_EQ(run.Names(), (std::vector<std::string>{"XLS2.XLS", "ZIP3.ZIP"}));
    ASSERT_EQ(run.tables.RawResultList.RowCount(), 2u);
    EXPECT_EQ(run.tables.RawResultList.Cell(0, 0), "Total Excel File(s) Recovered :  1");
    EXPECT_EQ(run.tables.RawResultList.Cell(1, 0), "Total Zip File(s) Recovered :  1");
}

TEST(RawRecoveryTest, ExistingFilesStayAndFailedCreatesAreNotCounted) {
    CraftedDisk disk(4000);
    Compound(disk, 1000);
    WordMarker(disk, 1010);
    Compound(disk, 1100);
    WordMarker(disk, 1110);
    RawRunner run(disk.bytes);
    { std::ofstream(run.folder.path / "DOC1.DOC") << "mine"; }
    std::filesystem::create_symlink("/nonexistent/target", run.folder.path / "DOC2.DOC");
    run.Run();
    EXPECT_EQ(run.Names(),
              (std::vector<std::string>{"DOC1.DOC", "DOC1_2.DOC", "DOC2.DOC", "DOC2_2.DOC"}));
    EXPECT_EQ(test::ReadWhole(run.folder.path / "DOC1.DOC").size(), 4u);
    EXPECT_FALSE(std::filesystem::exists("/nonexistent/target"));

    // The folder vanishes after the checks: nothing can be created.
    RawRunner gone(disk.bytes);
    DestinationOpen opened = Destination::Open(gone.folder.path.string(), "");
    ASSERT_TRUE(opened.destination);
    std::filesystem::remove(gone.folder.path);
    RawRunSettings settings{0, 4000, kAll, false};
    RawRunContext context{gone.reader,         "d",
                          *opened.destination, gone.tables.RawResultList,
                          gone.progress,       &gone.observer};
    const RawRunOutcome outcome = RunRawRecovery(context, settings);
    EXPECT_EQ(outcome.recovered[0], 0u);
    EXPECT_EQ(outcome.failed[0], 2u);
    ASSERT_EQ(gone.observer.files.size(), 2u);
    EXPECT_EQ(gone.observer.files[0].result, RawWriteResult::Failed);
    EXPECT_NE(gone.observer.files[0].error.find("DOC1.DOC"), std::string::npos);
    EXPECT_EQ(gone.tables.RawResultList.Cell(0, 0), "Total Word File(s) Recovered :  0");
}

TEST(RawRecoveryTest, StatusProgressAndStop) {
    CraftedDisk disk(10000);
    for (std::uint64_t s = 1000; s < 9000; s += 1000) {
        Compound(disk, s);
        WordMarker(disk, s + 30);
    }
    RawRunner run(disk.bytes);
    run.Run(kAll, false, 5000, 6600);
    EXPECT_EQ(run.progress.statuses,
              (std::vector<std::string>{" Searching Sector :- 5000", " Searching Sector :- 5800"}));
    // Of the range: 800 of 1600 sectors, then all of them.
    const std::vector<std::pair<int, std::string>> progress = {
        {50, "50 % Completed"}, {100, "100 % Completed"}, {100, "0 % Completed"}};
    EXPECT_EQ(run.progress.progress, progress);
    EXPECT_EQ(run.Names(), (std::vector<std::string>{"DOC1.DOC", "DOC2.DOC"}));

    RawRunner stopped(disk.bytes);
    std::stop_source stop;
    stopped.observer.onFile = [&] { stop.request_stop(); };
    const RawRunOutcome outcome = stopped.Run(kAll, false, 0, 0, stop.get_token());
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(stopped.Names(), std::vector<std::string>{"DOC1.DOC"});
}

TEST(RawRecoveryTest, StartChecksAndTheirMessages) {
    test::TempFolder folder;
    const std::string out = folder.path.string();
    const RawTypeSelection none{};
    const struct {
        RawTypeSelection types;
        RawRangeInput range;
        std::string destination;
        std::string_view message;
        RawEdit focus;
    } cases[] = {
        {none, {true, "", ""}, out, kSelectFileType, RawEdit::None},
        {kAll, {false, "100", "100"}, out, kStartNotBelowEnd, RawEdit::Start},
        {kAll, {false, "0", "12x"}, out, kInvalidEndSector, RawEdit::None},
        {kAll, {false, "", "50"}, out, kInvalidStartSector, RawEdit::Start},
        {kAll, {false, "-5", "50"}, out, kInvalidStartSector, RawEdit::Start},
        {kAll, {false, "0", "5001"}, out, kInvalidEndSector, RawEdit::End},
        {kAll, {true, "", ""}, out + "/missing/parent", kUnableToCreateDirectory, RawEdit::None},
        {kAll, {true, "", ""}, "", "", RawEdit::None},
    };
    for (const auto& c : cases) {
        const RawStartCheck check = CheckRawStart(c.types, c.range, 5000, c.destination, "");
        EXPECT_FALSE(check.ok) << c.message;
        EXPECT_EQ(check.message, c.message);
        EXPECT_EQ(check.focus, c.focus) << c.message;
    }
    EXPECT_EQ(CheckRawStart(none, {}, 5000, out, "").icon, MessageIcon::Information);
    EXPECT_EQ(CheckRawStart(kAll, {false, "0", "x"}, 5000, out, "").endText, "5000");
    const RawStartCheck ok = CheckRawStart(kAll, {false, " 10", "5000 "}, 5000, out, "");
    ASSERT_TRUE(ok.ok);
    EXPECT_EQ(ok.start, 10u);
    EXPECT_EQ(ok.end, 5000u);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path)); // the probe left nothing

    // The image being read is no destination, nor is a mount of it.
    const std::string image = (folder.path / "disk.img").string();
    std::ofstream(image) << "x";
    const RawStartCheck onSource = CheckRawStart(kAll, {}, 5000, image, image);
    EXPECT_EQ(onSource.message, kDestinationOnSource);
}

// A disk of zeros of any size, read without memory of its own.
class ZeroOpener final : public platform::DeviceOpener {
    class Zeros final : public platform::BlockDevice {
    public:
        std::int64_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override {
            const std::uint64_t n =
                offset < Size() ? std::min<std::uint64_t>(out.size(), Size() - offset) : 0;
            std::fill_n(out.begin(), n, std::byte{0});
            return static_cast<std::int64_t>(n);
        }
        std::uint64_t Size() const override { return std::uint64_t{1} << 40; }
    };

public:
    std::unique_ptr<platform::BlockDevice> Open(const std::string&) override {
        return std::make_unique<Zeros>();
    }
};

TEST(RawRecoveryTest, PageStatesOfARunAndOfItsStop) {
    ZeroOpener opener;
    test::ScriptedQuestions questions;
    DiskSelection selection;
    SectorReader reader(opener, questions, selection);
    ResultTables tables;
    test::RecordingProgress progress;
    test::TempFolder folder;
    RawRecoveryRun run(reader, tables.FileTypeList, tables.RawResultList, questions, progress);
    const RawRecoveryRun::Disk disk{3, "d", "", std::uint64_t{1} << 31};
    const auto destination = [&] { return folder.path.string(); };

    run.Press(disk, destination); // nothing checked
    ASSERT_EQ(questions.messages.size(), 1u);
    EXPECT_NE(questions.messages[0].find(kSelectFileType), std::string::npos);
    EXPECT_FALSE(run.Running());

    tables.FileTypeList.SetChecked(0, true);
    run.SelectSectorRange(disk.sectors);
    EXPECT_EQ(run.Page().endText, "2147483648");
    run.SetRangeTexts("0", "4000");
    run.Press(disk, destination);
    run.Wait();
    RawPage page = run.Page();
    EXPECT_EQ(page.buttonText, kStartRecoveryAgain);
    EXPECT_TRUE(page.editsEnabled && page.typesEnabled && page.backEnabled);
    EXPECT_FALSE(page.progressVisible);

    run.SelectEntireDisk();
    run.Press(disk, destination);
    EXPECT_EQ(run.Page().buttonText, kStopSearching);
    EXPECT_FALSE(run.Page().typesEnabled || run.Page().backEnabled);
    while (run.Page().statusText.find("Searching Sector") == std::string::npos) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    questions.messageAnswer = MessageAnswer::No;
    run.Press(disk, destination); // "Do you want terminate this process ?" No
    EXPECT_TRUE(run.Running());
    questions.messageAnswer = MessageAnswer::Yes;
    run.Press(disk, destination);
    EXPECT_FALSE(run.Running());
    page = run.Page();
    EXPECT_EQ(page.buttonText, kStartRecovery);
    EXPECT_EQ(page.progressText, "0 % Completed");
    EXPECT_TRUE(page.statusText.empty());
    EXPECT_FALSE(page.editsEnabled); // entire-disk mode
    EXPECT_NE(questions.messages.back().find(kTerminateQuestion), std::string::npos);
}

} // namespace
} // namespace quorvane
