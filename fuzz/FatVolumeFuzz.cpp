// A whole small FAT volume made of the input through the Standard search (tree
// and full listing) and the Professional search (identification, the first
// file system's tree and listing).
#include "engine/fat/FatScan.h"
#include "engine/fat/FatTreeListing.h"
#include "fuzz/FatFuzzVolume.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvane;
    SilentProgress progress;
    std::size_t listed = 0;
    auto count = [&](const ListedEntry& e) {
        if (e.path.empty()) {
            __builtin_trap();
        }
        ++listed;
    };
    {
        fuzz::FatFuzzVolume volume(data, size);
        RecoverySession& s = volume.session;
        if (s.Selected.fileSystem == "FAT12") {
            s.Selected.fileSystem = "FAT16";
            s.Fat.Volume.FileSystem = "FAT16";
        }
        s.Fat.Search.SearchMode = 1;
        s.Fat.Search.VolumeParamsFilled = true;
        s.Fat.Search.RangeEnd = 2048;
        FatScanThread(s, progress);
        ListFolderTree(s, count);
    }
    {
        fuzz::FatFuzzVolume volume(data, size);
        RecoverySession& s = volume.session;
        s.Selected.fileSystem = (data != nullptr && size > 0 && data[0] % 2) ? "FAT32" : "FAT16";
        s.Fat.Search.SearchMode = 2;
        s.Fat.Search.RangeStart = 0;
        s.Fat.Search.RangeEnd = 2048;
        const FatScanResult r = FatScanThread(s, progress);
        if (r.fileSystems > 0) {
            FatFileSystemThread(s, progress, 1);
            ListFolderTree(s, count);
        }
    }
    return listed > 0 ? 0 : 0;
}
