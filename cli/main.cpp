#include "cli/Commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <limits>

using namespace quorvane::cli;

namespace {

// CLI11 reads "-5" into an unsigned option as 2^64 - 5 and lets a number too
// large for it wrap: a count is plain decimal digits that fit.
CLI::Validator WholeNumber() {
    return CLI::Validator(
        [](std::string& value) -> std::string {
            std::uint64_t number = 0;
            const char* end = value.data() + value.size();
            const auto [stop, ec] = std::from_chars(value.data(), end, number);
            if (value.empty() || ec != std::errc() || stop != end) {
                return "not a whole number from 0 to " +
                       std::to_string(std::numeric_limits<std::uint64_t>::max()) + ": " + value;
            }
            return {};
        },
        "");
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"quorvane-cli: reads a disk or disk image (never writes to it) and lists what "
                 "can be recovered"};
    app.require_subcommand(1);

    CommonOptions partitionsOptions;
    CLI::App* partitions =
        app.add_subcommand("partitions", "List the partitions of the disk's partition tables");
    AddCommonOptions(*partitions, partitionsOptions);

    CommonOptions volumeOptions;
    int partitionNumber = 0;
    CLI::App* volume = app.add_subcommand(
        "volume", "Validate a partition's boot sector and print its volume parameters "
                  "(calculated from the directories when the boot sector is unusable)");
    AddCommonOptions(*volume, volumeOptions);
    volume->add_option("--partition", partitionNumber, "Partition number as listed (1-based)")
        ->required();

    volume->add_flag("--searched", volumeOptions.searched,
                     "Take the partition number from search-partitions instead of the tables");

    DisksOptions disksOptions;
    CLI::App* disks = app.add_subcommand(
        "disks", "Build the disk catalogue (runs probenix) and print each disk with its details");
    disks->add_flag("--json", disksOptions.json, "Print JSON instead of text");
    disks->add_option("--image", disksOptions.images,
                      "A disk image file or block device to offer as a disk (repeatable)");
    disks->add_option("--floppy", disksOptions.floppy,
                      "A disk image or device to offer as the 1.44\" floppy");

    CommonOptions searchOptions;
    SearchOptions searchGeometry;
    CLI::App* search = app.add_subcommand(
        "search-partitions", "Search the disk for boot sectors at every cylinder and 1 MiB "
                             "boundary and list the partitions found");
    AddCommonOptions(*search, searchOptions);
    search
        ->add_option("--cylinders", searchGeometry.cylinders,
                     "Stored cylinder count (default: the disk's sectors / heads / sectors)")
        ->check(WholeNumber());
    search->add_option("--heads", searchGeometry.heads, "Stored heads (default 255)")
        ->check(CLI::Range(1, 255));
    search
        ->add_option("--sectors-per-track", searchGeometry.sectorsPerTrack,
                     "Stored sectors per track (default 63; anything else is searched as 255 "
                     "x 63)")
        ->check(CLI::Range(1, 255));

    CommonOptions listOptions;
    ListOptions listChoice;
    CLI::App* list = app.add_subcommand(
        "list", "Search a FAT partition (or the floppy) for its folders, rebuild the folder tree "
                "and list every folder and file found, deleted ones included (or rebuild the "
                "tree from a recovery log)");
    AddCommonOptions(*list, listOptions);
    list->add_option("--partition", listChoice.partition, "Partition number as listed (1-based)");
    list->add_option("--mode", listChoice.mode, "standard (default) or professional")
        ->check(CLI::IsMember({"standard", "professional"}));
    list->add_option("--file-system", listChoice.fileSystem,
                     "Professional: the file system found to list (1-based, default 1)");
    list->add_flag("--floppy", listChoice.floppy, "DISK is a 1.44 MB floppy (FAT12)");
    list->add_flag("--whole-disk", listChoice.wholeDisk,
                   "Professional: search the whole disk instead of the partition's sectors");
    list->add_flag("--searched", listOptions.searched,
                   "Take the partition number from search-partitions instead of the tables");
    list->add_option("--save-log", listChoice.saveLog,
                     "Write the recovery log (*.WNF) after the search; \".WNF\" is added to a "
                     "name without one");
    list->add_flag("--overwrite-log", listChoice.overwriteLog,
                   "Replace the --save-log file when it exists (refused otherwise)");
    list->add_option("--load-log", listChoice.loadLog,
                     "Rebuild the folder tree from a recovery log saved on this disk instead of "
                     "searching (the partition and volume come from the log)");

    CommonOptions carveOptions;
    CarveOptions carveChoice;
    CLI::App* carve = app.add_subcommand(
        "carve", "Recover Word, Excel, PowerPoint and ZIP files by their signatures, without a "
                 "file system, into numbered files (DOC1.DOC, XLS2.XLS ...)");
    AddCommonOptions(*carve, carveOptions);
    carve
        ->add_option("--out", carveChoice.out,
                     "Destination folder (made when missing; never "
                     "on the disk being read)")
        ->required();
    carve->add_option("--types", carveChoice.types,
                      "File types to recover, comma-separated (default doc,xls,ppt,zip)");
    carve->add_option("--start", carveChoice.start, "First sector of the range (default 0)");
    carve->add_option("--end", carveChoice.end,
                      "Sector after the range (default: the disk's sector count)");
    carve->add_flag("--exact-size", carveChoice.exactSize,
                    "Trim each file to the length its own structure gives (compound file "
                    "tables, ZIP end record) instead of the copy rule's whole runs");

    // CLI11 would only say that a command is required; name the word instead.
    const auto known = [&app](const std::string& word) {
        const auto subcommands = app.get_subcommands([](CLI::App*) { return true; });
        return std::any_of(subcommands.begin(), subcommands.end(),
                           [&word](const CLI::App* sub) { return sub->get_name() == word; });
    };
    if (argc > 1 && argv[1][0] != '-' && !known(argv[1])) {
        std::cerr << "quorvane-cli: unknown command '" << argv[1]
                  << "' (see quorvane-cli --help)\n";
        return 2;
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }

    try {
        if (*partitions) {
            return RunPartitions(partitionsOptions, std::cout);
        }
        if (*volume) {
            return RunVolume(volumeOptions, partitionNumber, std::cout);
        }
        if (*list) {
            return RunList(listOptions, listChoice, std::cout);
        }
        if (*carve) {
            return RunCarve(carveOptions, carveChoice, std::cout);
        }
        if (*disks) {
            return RunDisks(disksOptions, std::cout);
        }
        if (*search) {
            return RunSearchPartitions(searchOptions, searchGeometry, std::cout);
        }
    } catch (const CommandError& e) {
        std::cerr << "quorvane-cli: " << e.what() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "quorvane-cli: " << e.what() << '\n';
        return 1;
    }
    return 2;
}
