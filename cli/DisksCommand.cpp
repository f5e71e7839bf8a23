#include "cli/CliOutput.h"
#include "cli/Commands.h"

#include "engine/disk/DiskCatalogue.h"
#include "platform/Process.h"
#include "platform/RegistryFile.h"
#include "platform/SystemInfo.h"

#include <fmt/format.h>
#include <iostream>
#include <nlohmann/json.hpp>

namespace quorvane::cli {

int RunDisks(const DisksOptions& options, std::ostream& out) {
    platform::RegistryFile registry = platform::RegistryFile::ForThisProgram();
    const std::string installFolder = ReadInstallFolder(registry);
    if (installFolder.empty()) {
        // Without its own path the program cannot know where its install entry is.
        const std::filesystem::path& layer = registry.MachineLayerPath();
        throw CommandError("Quorvane is not installed properly, Please run setup again. (" +
                           (layer.empty() ? std::string("no install entry: the path of this "
                                                        "program could not be read")
                                          : "no install entry in " + layer.string()) +
                           ")");
    }

    std::vector<NamedDisk> named;
    for (const std::string& image : options.images) {
        named.push_back({image, false});
    }
    if (!options.floppy.empty()) {
        named.push_back({options.floppy, true});
    }

    platform::SystemProcessLauncher launcher;
    DiskCatalogue catalogue(registry, launcher);
    DiskSelection selection;
    TreeModel tree;
    const CatalogueOutcome outcome =
        catalogue.Build(platform::GetOsVersion(), installFolder, named, selection, tree);
    if (outcome.endProgram || !outcome.failure.empty()) {
        const std::string detail = registry.LastError();
        throw CommandError(outcome.failure + " in " + registry.StorePath().string() +
                           (detail.empty() ? "" : " (" + detail + ")"));
    }
    if (!outcome.rejected.empty()) {
        throw CommandError(outcome.rejected.front());
    }

    ListModel details;
    if (options.json) {
        nlohmann::json disks = nlohmann::json::array();
        for (const CatalogueDisk& disk : catalogue.Disks()) {
            catalogue.ShowDiskDetails(disk.number, selection.PlatformFamily, details);
            nlohmann::json rows = nlohmann::json::array();
            for (std::size_t i = 0; i < details.RowCount(); ++i) {
                rows.push_back(details.Cell(i, 0));
            }
            disks.push_back({{"number", disk.number},
                             {"text", tree.At(disk.item).text},
                             {"device", disk.device},
                             {"model", catalogue.SelectedDiskModel()},
                             {"details", rows}});
        }
        nlohmann::json result = {{"root", tree.At(catalogue.Root()).text}, {"disks", disks}};
        result["floppy"] = catalogue.FloppyPath().empty()
                               ? nlohmann::json(nullptr)
                               : nlohmann::json{{"text", tree.At(catalogue.FloppyItem()).text},
                                                {"device", catalogue.FloppyPath()}};
        PrintJson(out, result);
        return 0;
    }

    // Models and paths come from devices and the user's files: nothing of them
    // reaches the terminal as a control character.
    out << tree.At(catalogue.Root()).text << '\n';
    for (const CatalogueDisk& disk : catalogue.Disks()) {
        out << "  " << tree.At(disk.item).text << "  (" << TerminalText(disk.device) << ")\n";
        catalogue.ShowDiskDetails(disk.number, selection.PlatformFamily, details);
        for (std::size_t i = 0; i < details.RowCount(); ++i) {
            out << "      " << TerminalText(details.Cell(i, 0)) << '\n';
        }
    }
    if (!catalogue.FloppyPath().empty()) {
        out << "  " << tree.At(catalogue.FloppyItem()).text << "  ("
            << TerminalText(catalogue.FloppyPath()) << ")\n";
    }
    if (catalogue.Disks().empty() && catalogue.FloppyPath().empty()) {
        out << "  (no removable disks; name an image or a device with --image)\n";
    }
    return 0;
}

} // namespace quorvane::cli
