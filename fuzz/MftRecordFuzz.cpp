// One MFT record through every decoder, as found (the input, cut or padded to
// 1024 bytes and fixed up) and as a short buffer of the input's own length.
#include "engine/ntfs/AttributeList.h"
#include "engine/ntfs/DataRuns.h"
#include "engine/ntfs/MftEntryRows.h"
#include "engine/ntfs/MftRecord.h"
#include "engine/ntfs/NtfsSectors.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

namespace {

using namespace quorvane;

constexpr std::uint64_t kVolumeClusters = 1u << 20;

void Check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

void Decode(std::span<const std::byte> record) {
    ReadMftRecordHeader(record);
    for (std::uint8_t ns = 0; ns < 4; ++ns) {
        ReadFileName(record, ns);
    }
    const auto name = ReadPreferredFileName(record);
    Check(!name || name->parent <= kReferenceNumberMask);
    ReadDataSize(record);
    const DataAttribute data = FindDataAttribute(record);
    Check(data.location == DataLocation::None || data.offset < record.size());
    if (data.location == DataLocation::NonResident) {
        const DecodedRunList runs = DecodeDataRuns(record, data.offset, kVolumeClusters);
        for (const DataRun& run : runs.list.runs) {
            Check(run.sparse || run.startCluster + run.clusterCount <= kVolumeClusters);
        }
    }
    for (const I30NameAt form : {I30NameAt::Resident, I30NameAt::NonResident}) {
        for (const std::uint32_t type : {kIndexRootType, kIndexAllocationType}) {
            Check(FindNamedI30(record, type, form) < std::max<std::size_t>(record.size(), 1));
        }
    }
    FolderSelfNumber(record);
    FirstIndexCluster(record);
    WalkAttributes(ByteView(record), kFileNameWalk, [&](const AttributeHeader& a) {
        Check(a.offset < record.size());
        DecodeDataRuns(record, a.offset, kVolumeClusters);
        return false;
    });
    const AttributeListPlace list = FindAttributeList(record);
    const auto entries = DecodeAttributeList(list.content);
    Check(ListedRecords(7, entries).size() <= kMaxListedRecords);
    DecodeMftRecord(record);
    MftEntryRowOf(record, 1234);
    ClassifyNtfsSector(record);
    NtfsBootRow(record, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::array<std::byte, kMftRecordSize> record{};
    std::memcpy(record.data(), data, std::min(size, record.size()));
    FixupRecord(record);
    Decode(record);

    std::vector<std::byte> exact(size);
    if (size != 0) {
        std::memcpy(exact.data(), data, size);
    }
    FixupRecord(exact);
    Decode(exact);
    return 0;
}
