#pragma once

#include "engine/core/ByteView.h"

#include <array>
#include <cstdint>
#include <string>

namespace quorvane {

// A GUID as it is stored on disk: 16 bytes, the first three fields
// little-endian (the mixed-endian layout of the GUID partition table).
struct Guid {
    std::array<std::uint8_t, 16> bytes{};

    static Guid At(ByteView view, std::size_t offset) {
        Guid g;
        for (std::size_t i = 0; i < g.bytes.size(); ++i) {
            g.bytes[i] = view.U8(offset + i);
        }
        return g;
    }
    // From the text form "C12A7328-F81F-11D2-BA4B-00A0C93EC93B"; all zero when
    // the text is not of that form.
    static Guid FromText(std::string_view text);

    bool IsZero() const {
        for (const std::uint8_t b : bytes) {
            if (b != 0) {
                return false;
            }
        }
        return true;
    }
    // "C12A7328-F81F-11D2-BA4B-00A0C93EC93B"
    std::string Text() const;

    bool operator==(const Guid&) const = default;
};

} // namespace quorvane
