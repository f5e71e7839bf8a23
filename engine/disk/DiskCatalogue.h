#pragma once

#include "engine/core/ListModel.h"
#include "engine/core/TreeModel.h"
#include "engine/disk/DeviceNameTable.h"
#include "platform/DeviceMap.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The registry layout that the helper program writes and the catalogue reads
// (all under the classes root; every value is named "Disk" + the disk's index).
struct CatalogueKeys {
    static constexpr std::string_view kDravel = "Tessik\\Dravel";
    static constexpr std::string_view kMediaType = "Tessik\\Dravel\\MediaType";
    static constexpr std::string_view kSize = "Tessik\\Dravel\\Size";
    static constexpr std::string_view kModel = "Tessik\\Dravel\\Model";
    static constexpr std::string_view kHead = "Tessik\\Dravel\\Head";
    static constexpr std::string_view kCylinder = "Tessik\\Dravel\\Cylinder";
    static constexpr std::string_view kSectorsPerTrack = "Tessik\\Dravel\\SectorsPerTrack";
    // The device path of the disk ("/dev/sdb"), so that its name resolves.
    static constexpr std::string_view kDisplayDevice = "Tessik\\Dravel\\DisplayDevice";

    // The install entry: key Tessik, value Dravel = the install folder.
    static constexpr std::string_view kInstallKey = "Tessik";
    static constexpr std::string_view kInstallValue = "Dravel";

    // The helper program's file in the install folder.
    static constexpr std::string_view kProbenixFile = "probenix";

    static constexpr std::uint16_t kMaxDisks = 26; // Disk0 .. Disk25

    static std::string ValueName(std::uint32_t index) { return "Disk" + std::to_string(index); }
};

// The install folder from the install entry; empty when not installed.
std::string ReadInstallFolder(platform::Registry& registry);

// A registry value of disk n read as a number the way the catalogue reads
// them: the leading decimal digits, 0 when there are none.
std::uint64_t ReadCatalogueNumber(platform::Registry& registry, std::string_view key,
                                  std::uint32_t disk);

// The model text the catalogue gives a disk named by its path: the model the
// system reports for a block device (its file name when it reports none),
// the file name without its folder for a disk image. The catalogue shows it
// as the disk's model, and a recovery log is tied to a disk by it.
std::string DiskModelText(const std::string& path);

// A disk image or device named by the user (--image PATH, or the CLI's DISK).
struct NamedDisk {
    std::string path;
    bool floppy = false; // offered as the 1.44" floppy whatever its size
};

// How building the catalogue ended.
struct CatalogueOutcome {
    bool endProgram = false; // the registry cannot hold the catalogue
    int exitCode = 0;        // the exit code the program ends with then
    std::string failure;     // what went wrong, naming the key (empty when built)
    // Named disks that could not be offered, each with the reason.
    std::vector<std::string> rejected;
};

// One disk the catalogue lists.
struct CatalogueDisk {
    std::uint16_t number = 0;
    TreeModel::Item item = TreeModel::kNone;
    std::string device; // the path its name resolves to; empty when unknown
};

// The disk catalogue: the disks offered on the first step and their details.
class DiskCatalogue {
public:
    static constexpr std::size_t kFloppyBytes = 1474560;
    static constexpr std::string_view kFloppyItem = "1.44\" Floppy";
    static constexpr std::string_view kRootText = "My Computer";

    DiskCatalogue(platform::Registry& registry, platform::ProcessLauncher& launcher);

    // Builds the catalogue into `tree`: clears the previous run's keys, runs
    // the helper program from `installFolder`, registers the named disks at the
    // first free numbers and lists every disk. Sets the platform family.
    CatalogueOutcome Build(const std::optional<platform::OsVersionInfo>& os,
                           const std::string& installFolder, const std::vector<NamedDisk>& named,
                           DiskSelection& selection, TreeModel& tree);

    // Fills `mainList` with the details of disk n and keeps its model as the
    // chosen disk's model.
    void ShowDiskDetails(std::uint16_t disk, char platformFamily, ListModel& mainList);

    // Registers a disk image or a device as a catalogue disk at the first free
    // number; the number, or empty with `error` set.
    std::optional<std::uint16_t> RegisterNamedDisk(const NamedDisk& disk, std::string& error);

    // Points the engine's device names at the listed disks and the floppy.
    void MapDevices(platform::DeviceMap& devices) const;

    const std::vector<CatalogueDisk>& Disks() const { return disks_; }
    TreeModel::Item Root() const { return root_; }
    TreeModel::Item FloppyItem() const { return floppyItem_; }
    const std::string& FloppyPath() const { return floppyPath_; }
    const std::string& SelectedDiskModel() const { return selectedDiskModel_; }

private:
    CatalogueOutcome ClearAndCreateKeys();

    platform::Registry& registry_;
    platform::ProcessLauncher& launcher_;
    std::vector<CatalogueDisk> disks_;
    TreeModel::Item root_ = TreeModel::kNone;
    TreeModel::Item floppyItem_ = TreeModel::kNone;
    std::string floppyPath_;
    std::string selectedDiskModel_;
};

} // namespace quorvane
