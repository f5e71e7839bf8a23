// Saving and loading recovery logs on the FAT fixture images: the tree and the
// file listing of a loaded log are those of the search it was saved from, the
// saved bytes are the recorded ones, and every refusal leaves the session as
// it was.
#include "engine/log/RecoveryLog.h"

#include "engine/browse/FolderTreeListing.h"
#include "engine/disk/DiskCatalogue.h"
#include "engine/scan/FatScan.h"
#include "engine/volume/VolumeValidation.h"
#include "platform/DeviceMap.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvane {
namespace {

using test::FixturePath;
using test::FixtureVolume;

using test::ReadWhole;
using test::WriteWhole;

// A test's own folder, removed afterwards.
class TempFolder {
public:
    std::filesystem::path operator/(const std::string& name) const { return folder_.path / name; }
    const std::filesystem::path& Path() const { return folder_.path; }

private:
    test::TempFolder folder_;
};

// Runs `work` in a child process as the unprivileged user 65534, so that file
// permissions hold even when the tests run as root; its exit status.
int AsNobody(const std::function<int()>& work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::getuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(99);
        }
        ::_exit(work());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One session over a fixture image, with scripted answers.
class LogSession {
public:
    explicit LogSession(const std::string& image) : image_(image) {
        path_ = FixturePath(image + ".img").string();
        devices_.Map(DeviceNameTable::NameOf(0), path_);
        session_ = std::make_unique<RecoverySession>(devices_, questions);
    }
    RecoverySession& S() { return *session_; }
    std::string Model() const { return DiskModelText(path_); }

    void Standard(const FixtureVolume& v) {
        RecoverySession& s = *session_;
        s.Search.Mode = SearchMode::Standard;
        s.Search.ModeText = "Standard";
        s.Selected.fileSystem = FileSystemFromName(v.fileSystem);
        s.Selected.firstSector = v.first;
        s.Selected.lastSector = v.end - 1;
        s.Selected.partitionIndex = static_cast<std::uint32_t>(v.partition - 1);
        s.Search.RangeStart = v.first;
        s.Search.RangeEnd = v.end;
        s.Search.VolumeParamsFilled =
            ValidateVolume(s.Reader, s.Device(), s.Selected, s.Volume, s.Tables, progress_);
        ASSERT_TRUE(FatScanThread(s, progress_).treeBuilt);
    }

    // The Professional search of the whole disk and file system `number`.
    void Professional(std::uint32_t number) {
        RecoverySession& s = *session_;
        s.Search.Mode = SearchMode::Professional;
        s.Search.ModeText = "Professional Search";
        s.Selected.fileSystem = FileSystemKind::Fat32;
        s.Search.RangeStart = 0;
        s.Search.RangeEnd = s.Reader.DeviceSectors(s.Device());
        FatScanThread(s, progress_);
        ASSERT_TRUE(FatFileSystemThread(s, progress_, number).treeBuilt);
    }

    LogResult Save(const std::filesystem::path& path, bool replace = false) {
        questions.saveLogAnswers.push_back({path.string(), replace});
        return SaveRecoveryLog(*session_, Model());
    }
    LogResult Load(const std::filesystem::path& path, std::stop_token stop = {}) {
        questions.openLogAnswers.push_back(path.string());
        return LoadRecoveryLog(*session_, Model(), progress_, stop);
    }

    // Every folder and file as opening every folder shows them.
    std::string Listing() {
        std::string out;
        ListFolderTree(session_->Browse(), [&](const ListedEntry& e) {
            for (const std::string& p : e.path) {
                out += p + "/";
            }
            out += (e.folder ? " folder " : " file ") + e.type + " " + std::to_string(e.size) +
                   " " + e.date + " " + e.time + " " + std::to_string(e.firstCluster) +
                   (e.deleted ? " deleted" : "") + "\n";
        });
        return out;
    }

    test::ScriptedQuestions questions;

private:
    std::string image_;
    std::string path_;
    platform::DeviceMap devices_;
    SilentProgress progress_;
    std::unique_ptr<RecoverySession> session_;
};

// The folder tree and its records.
std::string Tree(const RecoverySession& s) {
    return test::TreeText(s.FolderTree) + test::FolderRecordsText(s.TreeFolders);
}

template <typename Table> std::string Cells(const Table& table) {
    std::string out;
    for (std::size_t r = 0; r < table.RowCount(); ++r) {
        for (std::size_t c = 0; c < table.ColumnCount(); ++c) {
            out += table.Cell(r, c) + "|";
        }
        out += "\n";
    }
    return out;
}

std::string Volume(const RecoverySession& s) {
    const CurrentVolume& c = s.Current;
    const VolumeParams& p = s.Volume;
    std::string out = std::string(FileSystemName(c.FileSystem)) + " ";
    for (const std::uint64_t v : {c.SPF,
                                  c.SPC,
                                  c.RootSectors,
                                  c.RootStart,
                                  c.ReserveSectors,
                                  c.Cluster0Start,
                                  c.FirstFAT,
                                  c.SecondFAT,
                                  c.EndSector,
                                  c.ClusterCount,
                                  c.MftSector,
                                  c.MftMirrorSector,
                                  c.SectorsPerMftRecord,
                                  c.SectorsPerIndexRecord,
                                  p.sectorsPerFat,
                                  p.sectorsPerCluster,
                                  p.rootSectors,
                                  p.rootStart,
                                  p.reservedSectors,
                                  p.cluster0Start,
                                  p.firstFat,
                                  p.secondFat,
                                  p.mftSector,
                                  p.mftMirrorSector,
                                  p.sectorsPerMftRecord,
                                  p.sectorsPerIndexRecord}) {
        out += std::to_string(v) + " ";
    }
    const SelectedPartition& sel = s.Selected;
    out += std::string(FileSystemName(sel.fileSystem)) + " " + std::to_string(sel.firstSector) +
           "-" + std::to_string(sel.lastSector) + " #" + std::to_string(sel.partitionIndex) +
           " disk " + std::to_string(sel.diskNumber);
    return out;
}

// Everything a load may change.
std::string Snapshot(const RecoverySession& s) {
    const ResultTables& t = s.Tables;
    std::string out = Tree(s) + Volume(s) + "\nmode " +
                      std::to_string(static_cast<int>(s.Search.Mode)) + " " + s.Search.ModeText +
                      (s.Log.SavedToLog ? " saved " : " ") + s.Log.Path + "\n";
    out += Cells(t.EntryTable) + "--\n" + Cells(t.EntryTable2) + "--\n" + Cells(t.BootTable2);
    for (const ListModel::Column& c : t.MainList.Columns()) {
        out += c.header + ",";
    }
    for (std::size_t r = 0; r < t.MainList.RowCount(); ++r) {
        out += "\n" + t.MainList.Cell(r, 0);
    }
    return out;
}

// A session on the partition step, with what a search leaves behind: the
// partition tree, a file system found and a summary in the list.
void PartitionStep(RecoverySession& s) {
    const TreeModel::Item top = s.FolderTree.AddItem(TreeModel::kNone, "Disk0", 1, 1);
    s.FolderTree.AddItem(top, "Partition - 1 ( FAT16 )", 4, 4);
    BootRow row;
    row.sector = 2048;
    row.partType = FileSystemKind::Fat16;
    s.Tables.BootTable2.Append(row);
    s.Tables.MainList.AppendRow("Disk Number                      0");
    s.Search.Mode = SearchMode::Professional;
    s.Search.ModeText = "Professional Search";
}

// The FAT16 and FAT32 volumes of a fixture.
std::vector<FixtureVolume> FatVolumes(const std::string& image) {
    std::vector<FixtureVolume> out;
    for (const FixtureVolume& v : test::FixtureVolumes(image)) {
        if (v.fileSystem == "FAT16" || v.fileSystem == "FAT32") {
            out.push_back(v);
        }
    }
    return out;
}

class LogRoundTrip : public ::testing::TestWithParam<std::string> {};

// Save after the search, load into a fresh session on the same disk: the same
// tree, item for item, the same records and the same listing, without a search.
TEST_P(LogRoundTrip, LoadedLogGivesTheTreeAndListingOfTheSearch) {
    TempFolder temp;
    for (const FixtureVolume& v : FatVolumes(GetParam())) {
        SCOPED_TRACE(GetParam() + " partition " + std::to_string(v.partition));
        LogSession searched(GetParam());
        searched.Standard(v);
        const std::string tree = Tree(searched.S());
        const std::string volume = Volume(searched.S());
        const std::filesystem::path log = temp / ("run" + std::to_string(v.partition) + ".WNF");
        ASSERT_EQ(searched.Save(log).outcome, LogOutcome::Done);
        const std::string listing = searched.Listing();

        LogSession loaded(GetParam());
        PartitionStep(loaded.S());
        ASSERT_EQ(loaded.Load(log).outcome, LogOutcome::Done);
        EXPECT_TRUE(loaded.questions.messages.empty());
        EXPECT_EQ(Tree(loaded.S()), tree);
        EXPECT_EQ(Volume(loaded.S()), volume);
        EXPECT_EQ(loaded.S().Search.Mode, SearchMode::Standard);
        EXPECT_EQ(loaded.S().Search.ModeText, "Standard");
        EXPECT_EQ(loaded.S().Tables.EntryTable.RowCount(), 0u);
        EXPECT_EQ(loaded.S().Tables.MainList.RowCount(), 0u);
        EXPECT_EQ(loaded.S().Tables.MainList.Columns().at(0).header, "Name");
        EXPECT_EQ(loaded.Listing(), listing);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, LogRoundTrip,
                         ::testing::Values("fat16-full", "fat32-full", "fat32-two", "demo",
                                           "fat16-fatzero", "fat32-rootzero", "fat16-fat2bad",
                                           "fat32-bootzero"));

// A log saved after a Professional search loads in Standard mode, with the
// file system it was saved from.
TEST(RecoveryLog, ProfessionalSavedLoadsAsStandard) {
    TempFolder temp;
    for (const std::uint32_t number : {1u, 2u}) {
        LogSession searched("fat32-two");
        searched.Professional(number);
        const std::string tree = Tree(searched.S());
        const std::string listing = searched.Listing();
        ASSERT_EQ(searched.Save(temp / "pro.WNF", true).outcome, LogOutcome::Done);

        LogSession loaded("fat32-two");
        ASSERT_EQ(loaded.Load(temp / "pro.WNF").outcome, LogOutcome::Done);
        EXPECT_EQ(loaded.S().Search.Mode, SearchMode::Standard);
        EXPECT_EQ(loaded.S().Search.ModeText, "Professional Search");
        EXPECT_EQ(Tree(loaded.S()), tree);
        EXPECT_EQ(loaded.Listing(), listing);
    }
}

// The logs of three searches, byte for byte as recorded. To record them again
// after a deliberate change of the layout: QUORVANE_RECORD_LOGS=1 ctest -R RecoveryLog
TEST(RecoveryLog, SavedBytesAreTheRecordedOnes) {
    TempFolder temp;
    const bool record = std::getenv("QUORVANE_RECORD_LOGS") != nullptr;
    const struct {
        std::string image;
        int partition; // 0: Professional, file system 2
        std::string golden;
    } cases[] = {
        {"fat16-full", 1, "fat16-full-1.WNF"},
        {"fat32-full", 1, "fat32-full-1.WNF"},
        {"fat32-two", 0, "fat32-two-professional-2.WNF"},
    };
    for (const auto& c : cases) {
        LogSession s(c.image);
        if (c.partition == 0) {
            s.Professional(2);
        } else {
            s.Standard(FatVolumes(c.image).at(static_cast<std::size_t>(c.partition - 1)));
        }
        const std::filesystem::path golden =
            std::filesystem::path(QUORVANE_LOG_GOLDEN_DIR) / c.golden;
        ASSERT_EQ(s.Save(temp / c.golden).outcome, LogOutcome::Done);
        if (record) {
            std::filesystem::copy_file(temp / c.golden, golden,
                                       std::filesystem::copy_options::overwrite_existing);
        }
        EXPECT_EQ(ReadWhole(temp / c.golden), ReadWhole(golden)) << c.golden;
    }
}

TEST(RecoveryLog, LoadRestoresDeletedFoldersAsDeleted) {
    TempFolder temp;
    LogSession searched("fat16-full");
    searched.Standard(FatVolumes("fat16-full").front());
    ASSERT_EQ(searched.Save(temp / "trash.WNF").outcome, LogOutcome::Done);
    LogSession loaded("fat16-full");
    ASSERT_EQ(loaded.Load(temp / "trash.WNF").outcome, LogOutcome::Done);
    std::vector<std::string> deleted;
    for (const TreeFolder& f : loaded.S().TreeFolders) {
        if (f.deleted) {
            deleted.push_back(f.name);
        }
    }
    EXPECT_EQ(deleted, (std::vector<std::string>{"Trash Folder", "Inner"}));
}

class SavedVolume : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<LogSession>("fat16-full");
        session->Standard(FatVolumes("fat16-full").front());
    }
    test::ScriptedQuestions& Q() { return session->questions; }
    LogResult Save() { return SaveRecoveryLog(session->S(), session->Model()); }

    TempFolder temp;
    std::unique_ptr<LogSession> session;
};

TEST_F(SavedVolume, TheFileNameDecidesTheExtension) {
    const struct {
        std::string chosen;
        std::string written; // empty: refused
    } cases[] = {
        {"result", "result.WNF"},
        {"result.txt", ""},
        {"result.wnf", ""}, // compared case-sensitively
        {"result.WNF", "result.WNF"},
        {"old.version.WNF", "old.version.WNF"},
        {"dotted.folder/result", "dotted.folder/result.WNF"}, // the folder's dot does not count
    };
    std::filesystem::create_directories(temp / "dotted.folder");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        if (!c.written.empty()) {
            std::filesystem::remove(temp / c.written);
        }
        Q().messages.clear();
        Q().saveLogAnswers = {{(temp / c.chosen).string(), false}};
        const LogResult r = Save();
        if (c.written.empty()) {
            EXPECT_EQ(r.outcome, LogOutcome::Cancelled); // asked again, and cancelled
            EXPECT_EQ(Q().messages, std::vector<std::string>{"Invalid Extension"});
            EXPECT_FALSE(std::filesystem::exists(temp / c.chosen));
        } else {
            EXPECT_EQ(r.outcome, LogOutcome::Done);
            EXPECT_EQ(r.path, (temp / c.written).string());
            EXPECT_TRUE(Q().messages.empty());
            EXPECT_TRUE(std::filesystem::is_regular_file(temp / c.written));
        }
    }
}

TEST_F(SavedVolume, AnExistingFileIsReplacedOnlyWhenSomeoneSaidSo) {
    const std::vector<std::byte> old = {std::byte{1}, std::byte{2}};
    const std::string existing = (temp / "old.WNF").string();
    const std::string question = existing + " already exists. Do you want to overwrite this file?";
    const struct {
        std::string what;
        std::deque<LogFileChoice> choices;
        std::deque<MessageAnswer> answers;
        std::vector<std::string> messages;
        bool replaced;
    } cases[] = {
        {"no dialog question: asked, No, dialog cancelled",
         {{existing, false}},
         {MessageAnswer::No},
         {question},
         false},
        {"no dialog question: asked, Yes",
         {{existing, false}},
         {MessageAnswer::Yes},
         {question},
         true},
        {"the dialog asked", {{existing, true}}, {}, {}, true},
        {"\".WNF\" added to the name the dialog asked about",
         {{(temp / "old").string(), true}},
         {MessageAnswer::No},
         {question},
         false},
        {"No, then another name",
         {{existing, false}, {(temp / "new").string(), false}},
         {MessageAnswer::No},
         {question},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteWhole(existing, old);
        std::filesystem::remove(temp / "new.WNF");
        Q().messages.clear();
        Q().saveLogAnswers = c.choices;
        Q().messageAnswers = c.answers;
        const LogResult r = Save();
        EXPECT_EQ(Q().messages, c.messages);
        EXPECT_EQ(ReadWhole(existing) != old, c.replaced);
        EXPECT_EQ(r.outcome == LogOutcome::Done, c.replaced || c.choices.size() == 2);
    }
    EXPECT_TRUE(std::filesystem::exists(temp / "new.WNF"));
}

TEST_F(SavedVolume, AFloppyIsNotSaved) {
    session->S().Current = CurrentVolume::Floppy();
    Q().saveLogAnswers = {{(temp / "floppy.WNF").string(), false}};
    const LogResult r = Save();
    EXPECT_EQ(r.outcome, LogOutcome::Refused);
    EXPECT_EQ(Q().messages, std::vector<std::string>{"Recovery can not be saved for Floppy"});
    EXPECT_EQ(Q().captions, std::vector<std::string>{"Error"});
    EXPECT_EQ(Q().saveLogAnswers.size(), 1u); // no dialog was shown
    EXPECT_FALSE(session->S().Log.SavedToLog);
}

TEST_F(SavedVolume, AFileThatCannotBeWrittenIsUnableToOpen) {
    // A folder in the file's place, and (as an ordinary user) a read-only file.
    std::filesystem::create_directories(temp / "folder.WNF");
    Q().saveLogAnswers = {{(temp / "folder.WNF").string(), true}};
    EXPECT_EQ(Save().outcome, LogOutcome::Refused);
    EXPECT_EQ(Q().messages, std::vector<std::string>{"Unable to open file"});
    EXPECT_FALSE(session->S().Log.SavedToLog);

    const std::filesystem::path readOnly = temp / "readonly.WNF";
    WriteWhole(readOnly, {std::byte{7}});
    ::chmod(temp.Path().c_str(), 0777);
    ::chmod(readOnly.c_str(), 0444);
    const int status = AsNobody([&] {
        Q().messages.clear();
        Q().saveLogAnswers = {{readOnly.string(), true}};
        const bool refused = Save().outcome == LogOutcome::Refused;
        return refused && Q().messages == std::vector<std::string>{"Unable to open file"} ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadWhole(readOnly), std::vector<std::byte>{std::byte{7}});
}

TEST_F(SavedVolume, TheMarkFollowsTheResults) {
    EXPECT_FALSE(session->S().Log.SavedToLog);
    ASSERT_EQ(session->Save(temp / "mark.WNF").outcome, LogOutcome::Done);
    EXPECT_TRUE(session->S().Log.SavedToLog);
    EXPECT_EQ(session->S().Log.Path, (temp / "mark.WNF").string());
    session->Standard(FatVolumes("fat16-full").front()); // new results
    EXPECT_FALSE(session->S().Log.SavedToLog);
    ASSERT_EQ(session->Load(temp / "mark.WNF").outcome, LogOutcome::Done);
    EXPECT_TRUE(session->S().Log.SavedToLog); // what is shown is in that log
}

class RefusedLoad : public ::testing::Test {
protected:
    void SetUp() override {
        LogSession searched("fat16-full");
        searched.Standard(FatVolumes("fat16-full").front());
        ASSERT_EQ(searched.Save(log).outcome, LogOutcome::Done);
        PartitionStep(session.S());
        before = Snapshot(session.S());
    }
    // The load ends with exactly `message` and leaves the session as it was.
    void ExpectRefused(const std::filesystem::path& path, const std::string& message) {
        session.questions.messages.clear();
        const LogResult r = session.Load(path);
        EXPECT_EQ(r.outcome, LogOutcome::Refused);
        EXPECT_EQ(session.questions.messages, std::vector<std::string>{message});
        EXPECT_EQ(Snapshot(session.S()), before);
    }

    TempFolder temp;
    std::filesystem::path log = temp / "good.WNF";
    LogSession session{"fat16-full"};
    std::string before;
};

TEST_F(RefusedLoad, ATruncatedLogIsAnErrorAtEveryLength) {
    const std::vector<std::byte> whole = ReadWhole(log);
    ASSERT_GT(whole.size(), 500u);
    for (std::size_t n = 0; n < whole.size(); ++n) {
        SCOPED_TRACE(n);
        WriteWhole(temp / "cut.WNF", std::vector<std::byte>(whole.begin(), whole.begin() + n));
        ExpectRefused(temp / "cut.WNF", "Error in file");
        if (HasFailure()) {
            break;
        }
    }
}

TEST_F(RefusedLoad, AnotherDiskOrNoLogAtAll) {
    // The same log on another disk: the model text differs.
    LogSession other("fat32-full");
    PartitionStep(other.S());
    const std::string otherBefore = Snapshot(other.S());
    const LogResult r = other.Load(log);
    EXPECT_EQ(r.outcome, LogOutcome::Refused);
    EXPECT_EQ(other.questions.messages, std::vector<std::string>{"You Have Selected Wrong Disk"});
    EXPECT_EQ(Snapshot(other.S()), otherBefore);

    ExpectRefused(temp / "missing.WNF", "Unable to open file");
    ExpectRefused(temp.Path(), "Unable to open file"); // a folder
    WriteWhole(temp / "text.WNF", std::vector<std::byte>(600, std::byte{'x'}));
    ExpectRefused(temp / "text.WNF", "Error in file");
    // Another file system text than FAT16, FAT32 or NTFS: nothing to browse.
    std::vector<std::byte> floppy = ReadWhole(log);
    const std::size_t fs = 8 + 4 + 14 + 4 + 6 + 9 + 16 + 96;
    ASSERT_EQ(static_cast<char>(floppy.at(fs + 1)), 'F');
    floppy.at(fs + 5) = std::byte{'2'}; // "FAT12"
    WriteWhole(temp / "fat12.WNF", floppy);
    ExpectRefused(temp / "fat12.WNF", "Error in file");
}

TEST_F(RefusedLoad, CancelAndStopChangeNothing) {
    SilentProgress progress;
    EXPECT_EQ(LoadRecoveryLog(session.S(), session.Model(), progress).outcome,
              LogOutcome::Cancelled);
    EXPECT_EQ(Snapshot(session.S()), before);
    std::stop_source source;
    source.request_stop();
    EXPECT_EQ(session.Load(log, source.get_token()).outcome, LogOutcome::Stopped);
    EXPECT_EQ(Snapshot(session.S()), before);
    EXPECT_TRUE(session.questions.messages.empty());
}

// A log is only read: one that may not be written loads all the same.
TEST_F(RefusedLoad, AReadOnlyLogLoads) {
    ::chmod(log.c_str(), 0444);
    EXPECT_EQ(AsNobody([&] { return session.Load(log).outcome == LogOutcome::Done ? 0 : 1; }), 0);
}

TEST(RecoveryLog, RawRecoveryModeHasNoLog) {
    LogSession s("fat16-full");
    EXPECT_TRUE(LogUsable(s.S()));
    s.S().Search.Mode = SearchMode::RawRecovery;
    EXPECT_FALSE(LogUsable(s.S()));
    EXPECT_EQ(s.questions.messages,
              std::vector<std::string>{
                  "This Feature can not be used while running under RAW Recovery Mode"});
}

TEST(RecoveryLog, ValuesBeyondThirtyTwoBitsAreNamedAsLost) {
    LogSession s("fat16-full");
    s.Standard(FatVolumes("fat16-full").front());
    s.S().Current.Cluster0Start = std::uint64_t{1} << 33;
    std::vector<std::string> losses;
    const RecoveryLogContent log = CollectRecoveryLog(s.S(), s.Model(), losses);
    EXPECT_EQ(log.currentVolume[5], 4294967295u);
    ASSERT_EQ(losses.size(), 1u);
    EXPECT_NE(losses[0].find("4294967295"), std::string::npos);
}

} // namespace
} // namespace quorvane
