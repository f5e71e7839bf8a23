// The recovery-log loader over any bytes: decoded, checked and, when whole,
// loaded into a session (its tree planned and built). Checks that a decoded
// log encodes to no more bytes than it came from and decodes back to the same
// content, that a load builds one item per folder record, and that a refused
// load leaves the session's tree alone.
#include "engine/log/RecoveryLog.h"
#include "platform/MemoryBlockDevice.h"

#include <cstdint>
#include <cstdlib>

using namespace quorvane;

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
    SilentProgress progress;

    RecoveryLogContent log;
    if (DecodeRecoveryLog(bytes, log, progress) == LogDecodeStatus::Ok) {
        // Names are at most 255 bytes, so nothing is cut.
        const std::vector<std::byte> again = EncodeRecoveryLog(log);
        Check(again.size() <= size);
        RecoveryLogContent twice;
        Check(DecodeRecoveryLog(again, twice, progress) == LogDecodeStatus::Ok && twice == log);
    }

    platform::MemoryDeviceOpener opener;
    SkipAllQuestions questions;
    RecoverySession session(opener, questions);
    session.FolderTree.AddItem(TreeModel::kNone, "Disk0", 1, 1);
    const std::string model = ReadLogModel(bytes).value_or("");
    const LogResult result = LoadRecoveryLogBytes(session, bytes, model, progress);
    if (result.outcome == LogOutcome::Done) {
        Check(session.TreeFolders.Count() == log.folders.size());
        Check(session.Tables.EntryTable2.RowCount() == log.files.size());
        Check(session.FolderTree.ItemCount() == log.folders.size() + 1); // and "Root"
    } else {
        Check(session.FolderTree.ItemCount() == 1 && session.TreeFolders.Count() == 0);
    }
    return 0;
}
