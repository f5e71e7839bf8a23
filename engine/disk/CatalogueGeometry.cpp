#include "engine/disk/CatalogueGeometry.h"

#include "engine/disk/DiskCatalogue.h"
#include "engine/disk/SectorReader.h"

namespace quorvane {

SearchGeometry ReadSearchGeometry(platform::Registry& registry, std::uint16_t disk) {
    SearchGeometry g;
    g.cylinders = ReadCatalogueNumber(registry, CatalogueKeys::kCylinder, disk);
    g.heads = ReadCatalogueNumber(registry, CatalogueKeys::kHead, disk);
    g.sectorsPerTrack = ReadCatalogueNumber(registry, CatalogueKeys::kSectorsPerTrack, disk);
    return g;
}

SectorRange EntireDiskRange(platform::Registry& registry, std::uint16_t disk) {
    return {0, ReadCatalogueNumber(registry, CatalogueKeys::kSize, disk) / kSectorSize};
}

} // namespace quorvane
