// One index record through the parser: its row for MftRecordTable and the walk
// over its entries. The input gets the "INDX" signature when it lacks one, so
// that every input reaches the parser.
#include "engine/ntfs/IndexRecord.h"

#include <algorithm>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvane;
    std::vector<std::byte> raw(std::max<std::size_t>(size, 4));
    if (size != 0) {
        std::memcpy(raw.data(), data, size);
    }
    std::memcpy(raw.data(), "INDX", 4);

    MftRecordTableT table;
    std::size_t counter = 0;
    AddIndexRecordRow(table, counter, 99, raw);
    if (counter != table.RowCount()) {
        __builtin_trap();
    }
    const auto record = ReadIndexRecord(raw);
    if (!record) {
        return 0;
    }
    if (record->bytes.size() > kMaxIndexRecordSize || record->bytes.size() % 512 != 0) {
        __builtin_trap();
    }
    IndexRecordOwner(*record);
    std::size_t previous = 0;
    bool first = true;
    for (const IndexEntry& e : WalkIndexEntries(*record)) {
        if (e.offset >= record->bytes.size() || (!first && e.offset <= previous) ||
            e.length < 0x10) {
            __builtin_trap();
        }
        previous = e.offset;
        first = false;
    }
    return 0;
}
