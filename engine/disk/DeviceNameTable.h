#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

// Device names by disk number. The platform's device map resolves each name to
// a real device or image path.
struct DeviceNameTable {
    static constexpr std::array<std::string_view, 10> kNames = {
        "\\\\.\\PhysicalDrive0", "\\\\.\\PhysicalDrive1", "\\\\.\\PhysicalDrive2",
        "\\\\.\\PhysicalDrive3", "\\\\.\\PhysicalDrive4", "\\\\.\\PhysicalDrive5",
        "\\\\.\\PhysicalDrive6", "\\\\.\\PhysicalDrive7", "\\\\.\\PhysicalDrive8",
        "\\\\.\\PhysicalDrive9"};
    // The floppy drive A, whatever disk path a caller passes while it is chosen.
    static constexpr std::string_view kFloppy = "\\\\.\\A:";

    // Disks numbered above 9 (the catalogue offers up to 25) get the same form
    // of name, so that every catalogue disk can be read.
    static std::string NameOf(std::uint16_t diskNumber) {
        if (diskNumber < kNames.size()) {
            return std::string(kNames[diskNumber]);
        }
        return "\\\\.\\PhysicalDrive" + std::to_string(diskNumber);
    }
};

// The chosen disk and the platform family, read by every reader of the disk.
struct DiskSelection {
    std::uint16_t SelectedDiskNumber = 0;
    std::string SelectedDiskLabel;
    char PlatformFamily = 'N';

    bool FloppyChosen() const {
        constexpr std::string_view kFloppy = "Floppy";
        return SelectedDiskLabel.size() >= kFloppy.size() &&
               std::string_view(SelectedDiskLabel)
                       .substr(SelectedDiskLabel.size() - kFloppy.size()) == kFloppy;
    }
};

} // namespace quorvane
