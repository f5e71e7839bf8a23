#include "engine/disk/DiskCatalogue.h"

#include "platform/DiskModel.h"
#include "platform/FileBlockDevice.h"

#include <filesystem>

namespace quorvane {

namespace {

constexpr platform::RootKey kRoot = platform::RootKey::ClassesRoot;

constexpr std::uint32_t kImageHeads = 255;
constexpr std::uint32_t kImageSectorsPerTrack = 63;
constexpr std::uint64_t kBytesPerMegabyte = 1048576;

// The keys of the previous run, in the order they are deleted: the sub-keys
// first, because a key with sub-keys cannot be deleted.
constexpr std::array<std::string_view, 8> kDeleteOrder = {
    CatalogueKeys::kCylinder,        CatalogueKeys::kHead,
    CatalogueKeys::kMediaType,       CatalogueKeys::kModel,
    CatalogueKeys::kSectorsPerTrack, CatalogueKeys::kSize,
    CatalogueKeys::kDisplayDevice,   CatalogueKeys::kDravel};

// The sub-keys created empty for the helper program, in this order. The device
// key comes last: the helper writes the device paths there.
constexpr std::array<std::string_view, 7> kCreateOrder = {
    CatalogueKeys::kCylinder,        CatalogueKeys::kHead,
    CatalogueKeys::kMediaType,       CatalogueKeys::kModel,
    CatalogueKeys::kSectorsPerTrack, CatalogueKeys::kSize,
    CatalogueKeys::kDisplayDevice};

std::string Value(platform::Registry& registry, std::string_view key, std::uint32_t disk) {
    return registry.QueryTextValue(kRoot, key, CatalogueKeys::ValueName(disk));
}

} // namespace

std::string ReadInstallFolder(platform::Registry& registry) {
    return registry.QueryTextValue(kRoot, CatalogueKeys::kInstallKey, CatalogueKeys::kInstallValue);
}

std::string DiskModelText(const std::string& path) {
    if (const std::optional<std::string> reported = platform::ReportedDiskModel(path)) {
        return *reported;
    }
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec).lexically_normal();
    return (ec ? std::filesystem::path(path) : full).filename().string();
}

std::uint64_t ReadCatalogueNumber(platform::Registry& registry, std::string_view key,
                                  std::uint32_t disk) {
    const std::string text = Value(registry, key, disk);
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (value > (UINT64_MAX - digit) / 10) {
            return UINT64_MAX; // a number this long is no disk's; keep it from wrapping
        }
        value = value * 10 + digit;
    }
    return value;
}

DiskCatalogue::DiskCatalogue(platform::Registry& registry, platform::ProcessLauncher& launcher)
    : registry_(registry), launcher_(launcher) {}

CatalogueOutcome DiskCatalogue::ClearAndCreateKeys() {
    CatalogueOutcome outcome;
    for (std::string_view key : kDeleteOrder) {
        if (registry_.OpenKey(kRoot, key, platform::KeyRight::Delete)) {
            registry_.DeleteKey(kRoot, key);
        }
    }
    if (registry_.OpenKey(kRoot, CatalogueKeys::kDravel, platform::KeyRight::AllAccess)) {
        for (std::uint32_t i = 0; i < CatalogueKeys::kMaxDisks; ++i) {
            registry_.DeleteValue(kRoot, CatalogueKeys::kDravel, CatalogueKeys::ValueName(i));
        }
    }
    if (!registry_.CreateKey(kRoot, CatalogueKeys::kDravel)) {
        outcome.endProgram = true;
        outcome.exitCode = 0;
        outcome.failure = "cannot create the registry key " + std::string(CatalogueKeys::kDravel);
        return outcome;
    }
    if (!registry_.CreateKey(kRoot, CatalogueKeys::kDravel)) {
        outcome.failure = "cannot create the registry key " + std::string(CatalogueKeys::kDravel);
        return outcome;
    }
    for (std::string_view key : kCreateOrder) {
        if (!registry_.CreateKey(kRoot, key)) {
            outcome.endProgram = true;
            outcome.exitCode = 1;
            outcome.failure = "cannot create the registry key " + std::string(key);
            return outcome;
        }
    }
    return outcome;
}

CatalogueOutcome DiskCatalogue::Build(const std::optional<platform::OsVersionInfo>& os,
                                      const std::string& installFolder,
                                      const std::vector<NamedDisk>& named, DiskSelection& selection,
                                      TreeModel& tree) {
    disks_.clear();
    floppyItem_ = TreeModel::kNone;
    floppyPath_.clear();

    // An odd platform identifier is the 9x family; anything else, or no
    // answer at all, the NT family.
    selection.PlatformFamily = os && (os->platformId & 1U) != 0 ? char{'F'} : char{'N'};

    if (tree.TopLevel().empty()) {
        tree.AddItem(TreeModel::kNone, kRootText, 2, 2);
    }
    root_ = tree.TopLevel().front();
    if (selection.PlatformFamily == 'F') {
        return {};
    }

    CatalogueOutcome outcome = ClearAndCreateKeys();
    if (outcome.endProgram || !outcome.failure.empty()) {
        return outcome;
    }

    // A missing helper is not an error: the catalogue then offers only what
    // the user named.
    const std::filesystem::path probenix =
        std::filesystem::path(installFolder) / CatalogueKeys::kProbenixFile;
    std::error_code ec;
    if (!installFolder.empty() && std::filesystem::exists(probenix, ec)) {
        launcher_.StartAndWait(probenix.string(), {probenix.string(), ""});
    }

    for (const NamedDisk& disk : named) {
        std::string error;
        if (disk.path.empty()) {
            continue;
        }
        std::unique_ptr<platform::FileBlockDevice> device =
            platform::FileBlockDevice::Open(disk.path, error);
        if (!device) {
            outcome.rejected.push_back(error);
            continue;
        }
        const bool floppySize = !device->IsBlockDevice() && device->Size() == kFloppyBytes;
        if ((disk.floppy || floppySize) && floppyPath_.empty()) {
            floppyPath_ = std::filesystem::absolute(disk.path, ec).string();
            continue;
        }
        if (!RegisterNamedDisk(disk, error)) {
            outcome.rejected.push_back(error);
        }
    }

    if (!registry_.OpenKey(kRoot, CatalogueKeys::kDravel, platform::KeyRight::QueryValue)) {
        outcome.endProgram = true;
        outcome.exitCode = 0;
        outcome.failure = "cannot open the registry key " + std::string(CatalogueKeys::kDravel);
        return outcome;
    }
    for (std::uint16_t i = 0; i < CatalogueKeys::kMaxDisks; ++i) {
        if (Value(registry_, CatalogueKeys::kDravel, i).empty()) {
            continue;
        }
        CatalogueDisk disk;
        disk.number = i;
        disk.item = tree.AddItem(root_, CatalogueKeys::ValueName(i), 1, 1);
        disk.device = Value(registry_, CatalogueKeys::kDisplayDevice, i);
        disks_.push_back(disk);
    }
    if (!floppyPath_.empty()) {
        floppyItem_ = tree.AddItem(root_, kFloppyItem, 1, 1);
    }
    tree.Expand(root_);
    return outcome;
}

std::optional<std::uint16_t> DiskCatalogue::RegisterNamedDisk(const NamedDisk& named,
                                                              std::string& error) {
    std::unique_ptr<platform::FileBlockDevice> device =
        platform::FileBlockDevice::Open(named.path, error);
    if (!device) {
        return std::nullopt;
    }
    const std::uint64_t sectors = device->Size() / 512; // at least one: Open refuses less
    std::error_code ec;
    const std::string path = std::filesystem::absolute(named.path, ec).lexically_normal().string();

    // A disk named twice, or one the helper found already, keeps its number.
    std::optional<std::uint16_t> free;
    for (std::uint16_t i = 0; i < CatalogueKeys::kMaxDisks; ++i) {
        if (Value(registry_, CatalogueKeys::kDravel, i).empty()) {
            if (!free) {
                free = i;
            }
        } else if (Value(registry_, CatalogueKeys::kDisplayDevice, i) == path) {
            return i;
        }
    }
    if (!free) {
        error = named.path + ": no free disk number (Disk0 to Disk25 are all in use)";
        return std::nullopt;
    }

    const std::string name = CatalogueKeys::ValueName(*free);
    const std::vector<std::pair<std::string_view, std::string>> values = {
        {CatalogueKeys::kDravel, name},
        {CatalogueKeys::kMediaType, device->IsBlockDevice() ? "Fixed Media" : "Disk Image"},
        {CatalogueKeys::kSize, std::to_string(device->Size())},
        {CatalogueKeys::kModel, DiskModelText(path)},
        {CatalogueKeys::kHead, std::to_string(kImageHeads)},
        {CatalogueKeys::kCylinder,
         std::to_string(sectors / (std::uint64_t{kImageHeads} * kImageSectorsPerTrack))},
        {CatalogueKeys::kSectorsPerTrack, std::to_string(kImageSectorsPerTrack)},
        {CatalogueKeys::kDisplayDevice, path},
    };
    // The marker goes last, so that a disk whose values could not all be
    // stored is never listed.
    for (auto it = values.rbegin(); it != values.rend(); ++it) {
        if (!registry_.SetTextValue(kRoot, it->first, name, it->second)) {
            error = named.path + ": cannot store " + name + " in the registry key " +
                    std::string(it->first);
            return std::nullopt;
        }
    }
    return *free;
}

void DiskCatalogue::ShowDiskDetails(std::uint16_t disk, char platformFamily, ListModel& mainList) {
    mainList.DeleteAll();
    const std::string megabytes =
        std::to_string(ReadCatalogueNumber(registry_, CatalogueKeys::kSize, disk) /
                       kBytesPerMegabyte) +
        " MB";
    mainList.AppendRow("Physical Disk Number    :   " + std::to_string(disk));
    if (platformFamily == 'F') {
        mainList.AppendRow("Cylinder\t\t:\t\t" + Value(registry_, CatalogueKeys::kCylinder, disk));
        mainList.AppendRow("Head\t\t  :\t\t " + Value(registry_, CatalogueKeys::kHead, disk));
        mainList.AppendRow("SectorsPerTrack\t\t\t :\t\t " +
                           Value(registry_, CatalogueKeys::kSectorsPerTrack, disk));
        mainList.AppendRow("Disk Size\t\t :\t\t " + megabytes);
        return;
    }
    selectedDiskModel_ = Value(registry_, CatalogueKeys::kModel, disk);
    mainList.AppendRow("Model                             :   " + selectedDiskModel_);
    mainList.AppendRow("Media Type                    :   " +
                       Value(registry_, CatalogueKeys::kMediaType, disk));
    mainList.AppendRow("Cylinder                          :   " +
                       Value(registry_, CatalogueKeys::kCylinder, disk));
    mainList.AppendRow("Head                              :\t   " +
                       Value(registry_, CatalogueKeys::kHead, disk));
    mainList.AppendRow("Sector Per Track            :   " +
                       Value(registry_, CatalogueKeys::kSectorsPerTrack, disk));
    mainList.AppendRow("Disk Size                        :   " + megabytes);
}

void DiskCatalogue::MapDevices(platform::DeviceMap& devices) const {
    for (const CatalogueDisk& disk : disks_) {
        if (!disk.device.empty()) {
            devices.Map(DeviceNameTable::NameOf(disk.number), disk.device);
        }
    }
    if (!floppyPath_.empty()) {
        devices.Map(std::string(DeviceNameTable::kFloppy), floppyPath_);
    }
}

} // namespace quorvane
