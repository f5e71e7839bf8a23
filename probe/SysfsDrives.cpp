#include "probe/SysfsDrives.h"

#include "platform/DiskModel.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::probe {

namespace {

// A machine has a few dozen block devices; a folder with far more entries is
// not a sysfs block folder and is not read further.
constexpr std::size_t kMaxDevices = 4096;

constexpr std::uint32_t kDefaultHeads = 255;
constexpr std::uint32_t kDefaultSectorsPerTrack = 63;

std::optional<std::uint64_t> ParseDecimal(const std::string& text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty()) {
        return std::nullopt;
    }
    return value;
}

bool IsVirtualDevice(const std::string& name) {
    for (const char* prefix : {"loop", "ram", "zram", "dm-"}) {
        if (name.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

// Shorter names first, so that sdz comes before sdaa and nvme9n1 before
// nvme10n1; equal lengths in character order.
bool StableOrder(const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

} // namespace

std::optional<ReportedGeometry> ReadDeviceGeometry(const std::string& device) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) {
        return std::nullopt;
    }
    const int fd = ::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    hd_geometry geometry{};
    const int rc = ::ioctl(fd, HDIO_GETGEO, &geometry);
    ::close(fd);
    if (rc != 0) {
        return std::nullopt;
    }
    return ReportedGeometry{geometry.heads, geometry.sectors};
}

std::vector<DriveProperties> ReadSysfsDrives(const std::filesystem::path& sysfs,
                                             const std::filesystem::path& dev,
                                             const GeometryReader& geometry) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(sysfs / "block", ec), end;
         !ec && it != end && names.size() < kMaxDevices; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (std::filesystem::exists(it->path() / "partition", ec)) {
            continue;
        }
        if (IsVirtualDevice(name) &&
            platform::ReadSystemAttribute(it->path() / "removable") != "1") {
            continue;
        }
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), StableOrder);

    std::vector<DriveProperties> drives;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::filesystem::path folder = sysfs / "block" / names[i];
        DriveProperties d;
        d.name = names[i];
        d.index = std::to_string(i);
        d.device = (dev / names[i]).string();

        const std::optional<std::string> removable =
            platform::ReadSystemAttribute(folder / "removable");
        if (removable == "1") {
            d.mediaType = "Removable Media";
        } else if (removable == "0") {
            d.mediaType = "Fixed hard disk media";
        }
        d.model = platform::ReadDeviceModel(folder / "device");

        // A drive without a medium (an empty card reader) reports 0 sectors:
        // it has no size to offer.
        const std::optional<std::string> sizeText = platform::ReadSystemAttribute(folder / "size");
        const std::optional<std::uint64_t> sectors =
            sizeText ? ParseDecimal(*sizeText) : std::nullopt;
        if (!sectors || *sectors == 0 || *sectors > UINT64_MAX / 512) {
            drives.push_back(std::move(d));
            continue;
        }
        d.size = std::to_string(*sectors * 512);

        std::uint32_t heads = kDefaultHeads;
        std::uint32_t perTrack = kDefaultSectorsPerTrack;
        if (const std::optional<ReportedGeometry> g = geometry ? geometry(*d.device) : std::nullopt;
            g && g->heads >= 1 && g->heads <= 255 && g->sectorsPerTrack >= 1 &&
            g->sectorsPerTrack <= 63) {
            heads = g->heads;
            perTrack = g->sectorsPerTrack;
        }
        // The reported cylinder count is 16 bits wide and wraps on any disk
        // above 8 GB, so it is always worked out from the size.
        d.heads = std::to_string(heads);
        d.sectorsPerTrack = std::to_string(perTrack);
        d.cylinders = std::to_string(*sectors / (std::uint64_t{heads} * perTrack));
        drives.push_back(std::move(d));
    }
    return drives;
}

} // namespace quorvane::probe
