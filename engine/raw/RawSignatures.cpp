#include "engine/raw/RawSignatures.h"

#include <cstring>

namespace quorvane {

namespace {

bool At(std::span<const std::byte> bytes, std::size_t offset, std::string_view text) {
    return offset <= bytes.size() && text.size() <= bytes.size() - offset &&
           std::memcmp(bytes.data() + offset, text.data(), text.size()) == 0;
}

} // namespace

bool IsRawStartAt(std::span<const std::byte> sector, RawStartKind& kind) {
    if (At(sector, 0, kCompoundSignature)) {
        kind = RawStartKind::Compound;
        return true;
    }
    if (At(sector, 0, RawSignatureTable[4].start)) {
        kind = RawStartKind::Excel5;
        return true;
    }
    // 0x04 version needed to extract (low byte), 0x05 its high byte
    if (At(sector, 0, "PK\x03\x04"sv) && sector.size() >= 6 && sector[5] == std::byte{0}) {
        const auto version = static_cast<std::uint8_t>(sector[4]);
        if (version == 0x0A || version == 0x14 || version == 0x2D) {
            kind = RawStartKind::Zip;
            return true;
        }
    }
    return false;
}

RawFileType CheckRawType(std::span<const std::byte> first, RawFileType type) {
    if (At(first, kExcel5Offset, "Microsoft Excel 5.0"sv) ||
        At(first, kExcelOffset, "Microsoft Excel"sv)) {
        return RawFileType::Excel;
    }
    if (At(first, kPowerPointOffset, kPowerPointMarker)) {
        return RawFileType::PowerPoint;
    }
    return type;
}

} // namespace quorvane
