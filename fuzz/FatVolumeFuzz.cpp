// A whole small FAT volume made of the input through the Standard search (tree
// and full listing) and the Professional search (identification, the first
// file system's tree and listing).
#include "engine/browse/FolderTreeListing.h"
#include "engine/scan/FatScan.h"
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
        if (s.Selected.fileSystem == FileSystemKind::Fat12) {
            s.Selected.fileSystem = FileSystemKind::Fat16;
            s.Current.FileSystem = FileSystemKind::Fat16;
        }
        s.Search.Mode = SearchMode::Standard;
        s.Search.VolumeParamsFilled = true;
        s.Search.RangeEnd = 2048;
        FatScanThread(s, progress);
        ListFolderTree(s.Browse(), count);
    }
    {
        fuzz::FatFuzzVolume volume(data, size);
        RecoverySession& s = volume.session;
        s.Selected.fileSystem = (data != nullptr && size > 0 && data[0] % 2)
                                    ? FileSystemKind::Fat32
                                    : FileSystemKind::Fat16;
        s.Search.Mode = SearchMode::Professional;
        s.Search.RangeStart = 0;
        s.Search.RangeEnd = 2048;
        const FatScanResult r = FatScanThread(s, progress);
        if (r.fileSystems > 0) {
            FatFileSystemThread(s, progress, 1);
            ListFolderTree(s.Browse(), count);
        }
    }
    return listed > 0 ? 0 : 0;
}
