#pragma once

#include "engine/core/UserInterface.h"
#include "engine/scan/ScanWorker.h"
#include "engine/session/RecoverySession.h"

#include <cstdint>
#include <stop_token>

namespace quorvane {

// What a FAT search left for the wizard.
struct FatScanResult {
    bool stopped = false;     // the stop request ended the search; StopFatSearch finishes it
    bool treeBuilt = false;   // the folder tree and the file list are ready
    bool nextEnabled = false; // Professional: at least one file system to choose
    std::uint32_t fileSystems = 0;
};

// The scan thread's FAT paths: Standard FAT12 (floppy), FAT16 and FAT32, and
// Professional FAT16/FAT32 up to the list of file systems found. Reads the
// selected partition, VolumeParams and session.Fat.Search.
FatScanResult FatScanThread(RecoverySession& session, ProgressSink& progress,
                            std::stop_token stop = {});

// The file-system thread for FAT file system `number` (1-based row of
// BootTable2): its folders, its FATs, the current volume and the tree.
FatScanResult FatFileSystemThread(RecoverySession& session, ProgressSink& progress,
                                  std::uint32_t number);

// The stop procedure's FAT paths: ends the running scan (its rows stay), then
// builds the tree from what was found (Standard), or identifies the file
// systems found so far (Professional).
FatScanResult StopFatSearch(RecoverySession& session, ProgressSink& progress, ScanWorker& worker);

} // namespace quorvane
