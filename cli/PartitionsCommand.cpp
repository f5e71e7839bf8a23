#include "cli/CliOutput.h"
#include "cli/Commands.h"

#include "engine/volume/PartitionWalk.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace quorvane::cli {

void AddCommonOptions(CLI::App& command, CommonOptions& options) {
    command.add_option("DISK", options.disk, "Disk image file or block device (opened read-only)")
        ->required();
    command.add_flag("--json", options.json, "Print JSON instead of text");
    const std::map<std::string, BadSectorPolicy> policies = {{"ask", BadSectorPolicy::Ask},
                                                             {"retry", BadSectorPolicy::Retry},
                                                             {"skip", BadSectorPolicy::Skip}};
    command
        .add_option("--on-bad-sector", options.badSectors,
                    "What to do with unreadable sectors: retry (default: read them one by one), "
                    "skip (take the whole request as zeros) or ask")
        ->transform(CLI::CheckedTransformer(policies, CLI::ignore_case))
        ->option_text("retry|skip|ask");
}

nlohmann::json PartitionJson(RecoverySession& session, std::uint32_t index) {
    const PartitionInfo& p = session.Partitions[0].partitions.at(index);
    return {{"number", index + 1},
            {"fileSystem", FileSystemName(p.fileSystem)},
            {"firstSector", p.firstSector},
            {"endSector", p.endSector},
            {"text", session.FolderTree.At(p.treeItem).text}};
}

int RunPartitions(const CommonOptions& options, std::ostream& out) {
    CliContext context(options.disk, options.badSectors);
    RecoverySession& session = context.Session();
    const TreeModel::Item root =
        BuildPartitionTree(session.Reader, 0, session.Partitions, session.FolderTree);
    const DiskPartitions& disk = session.Partitions[0];

    if (options.json) {
        nlohmann::json list = nlohmann::json::array();
        for (std::uint32_t i = 0; i < disk.count; ++i) {
            const PartitionInfo& p = disk.partitions[i];
            nlohmann::json row = PartitionJson(session, i);
            row["typeByte"] = p.typeByte;
            row["logical"] = p.mbrPosition < 0;
            list.push_back(std::move(row));
        }
        PrintJson(out, list);
        return 0;
    }
    out << session.FolderTree.At(root).text << '\n';
    for (std::uint32_t i = 0; i < disk.count; ++i) {
        const PartitionInfo& p = disk.partitions[i];
        out << fmt::format("  {:<26} first {:>12}  end {:>12}  type 0x{:02X}\n",
                           session.FolderTree.At(p.treeItem).text, p.firstSector, p.endSector,
                           p.typeByte);
    }
    if (disk.count == 0) {
        out << "  (no partitions)\n";
    }
    return 0;
}

} // namespace quorvane::cli
