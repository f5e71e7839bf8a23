#pragma once

#include "engine/browse/FolderBrowser.h"
#include "engine/core/FolderSource.h"
#include "engine/core/FolderTree.h"
#include "engine/core/ResultTables.h"
#include "engine/core/UserInterface.h"
#include "engine/core/VolumeChoice.h"
#include "engine/disk/DiskAccess.h"
#include "engine/fat/FatFolderSource.h"
#include "engine/fat/FatRecords.h"
#include "platform/BlockDevice.h"

#include <string>

namespace quorvane {

// The recovery log's records of one session.
struct LogRecords {
    // The results shown are in a log: written to it, or loaded from it, since
    // the search that made them. Exit and Cancel read it; every search clears it.
    bool SavedToLog = false;
    std::string Path; // the log last written or loaded
};

// The records of one recovery run. The GUI, the CLI and each test make their
// own; nothing of it lives at namespace scope, so two sessions can run side by
// side.
//
// It is made of named parts. The three parts every engine reads are bases, so
// that a function taking one part is simply given the session:
//   DiskAccess       the disk and its reader (Selection, Reader, Questions, Device())
//   VolumeChoice     the partitions, the selected one, its VolumeParams, the
//                    CurrentVolume and the search inputs
//   FolderTreeState  the tree of every step with the folder records
// The records of one subsystem are members named after it: Tables (the result
// tables and visible lists), Fat and Log. NTFS, the save and raw recovery add
// theirs the same way (Ntfs, Save, Raw).
//
// Only the orchestrators (the scan threads, later the save driver) and the
// front ends see the whole session; everything below them takes the parts or
// the views it reads (FatView(), Browse()).
struct RecoverySession : DiskAccess, VolumeChoice, FolderTreeState {
    RecoverySession(platform::DeviceOpener& opener, UserQuestions& questions);
    RecoverySession(const RecoverySession&) = delete;
    RecoverySession& operator=(const RecoverySession&) = delete;

    ResultTables Tables;
    FatRecords Fat;
    LogRecords Log;

    // The FAT engine's view of the current volume.
    FatVolumeView FatView() { return fatSource_.View(); }
    // The engine that lists the folders of the current volume, by its file system.
    FolderSource& Source();
    // The folder tree, MainList and Source() together, for the browser.
    BrowseContext Browse() { return {*this, Tables.MainList, Source()}; }

private:
    // Browsing an NTFS volume before its engine lists files: the root number
    // is NTFS's, nothing is listed or loaded.
    class NtfsPlaceholder final : public FolderSource {
    public:
        explicit NtfsPlaceholder(const FolderSource& dates) : dates_(dates) {}
        std::uint32_t RootNumber() const override { return kNtfsRootNumber; }
        std::string FolderDateText(const TreeFolder& f) const override {
            return dates_.FolderDateText(f);
        }
        std::string FolderTimeText(const TreeFolder& f) const override {
            return dates_.FolderTimeText(f);
        }
        std::size_t ListFiles(ListModel&, std::uint32_t, bool) override { return 0; }
        void LoadFolder(FolderTreeState&, std::size_t) override {}

    private:
        const FolderSource& dates_;
    };

    FatFolderSource fatSource_;
    NtfsPlaceholder ntfsSource_;
};

} // namespace quorvane
