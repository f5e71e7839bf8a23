#include "probe/DriveProbe.h"

#include "engine/disk/DiskCatalogue.h"

#include <string_view>

namespace quorvane::probe {

namespace {

void WriteValue(platform::Registry& registry, std::string_view key, const std::string& name,
                const std::string& data, ProbeWriteCounts& counts) {
    if (!registry.OpenKey(platform::RootKey::ClassesRoot, key, platform::KeyRight::SetValue)) {
        ++counts.keyMissing;
    } else if (registry.SetTextValue(platform::RootKey::ClassesRoot, key, name, data)) {
        ++counts.written;
    } else {
        ++counts.failed;
    }
}

} // namespace

ProbeWriteCounts WriteProbedDrives(platform::Registry& registry,
                                   const std::vector<DriveProperties>& drives) {
    ProbeWriteCounts counts;
    for (const DriveProperties& d : drives) {
        if (!d.index || !d.mediaType) {
            continue;
        }
        std::string mediaType = *d.mediaType;
        // Only removable drives are catalogued.
        if (!mediaType.empty()) {
            const std::string_view prefix = std::string_view(mediaType).substr(0, 5);
            if (prefix != "remov" && prefix != "Remov") {
                continue;
            }
        }
        if (std::string_view(mediaType).substr(0, 9) == "Removable") {
            mediaType = "Removable Media";
        }
        if (mediaType.empty()) {
            continue;
        }
        if (!d.size || !d.model || !d.heads || !d.cylinders || !d.sectorsPerTrack || !d.device) {
            continue;
        }
        const std::string name = "Disk" + *d.index;
        WriteValue(registry, CatalogueKeys::kDravel, name, name, counts);
        WriteValue(registry, CatalogueKeys::kMediaType, name, mediaType, counts);
        WriteValue(registry, CatalogueKeys::kSize, name, *d.size, counts);
        WriteValue(registry, CatalogueKeys::kModel, name, *d.model, counts);
        WriteValue(registry, CatalogueKeys::kHead, name, *d.heads, counts);
        WriteValue(registry, CatalogueKeys::kCylinder, name, *d.cylinders, counts);
        WriteValue(registry, CatalogueKeys::kSectorsPerTrack, name, *d.sectorsPerTrack, counts);
        WriteValue(registry, CatalogueKeys::kDisplayDevice, name, *d.device, counts);
    }
    return counts;
}

} // namespace quorvane::probe
