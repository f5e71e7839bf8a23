#include "cli/CliOutput.h"
#include "cli/Commands.h"

#include "engine/volume/GuidPartitionTable.h"
#include "engine/volume/PartitionWalk.h"

#include <fmt/format.h>
#include <iostream>
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

namespace {

std::string_view SchemeKey(PartitionScheme scheme) {
    switch (scheme) {
    case PartitionScheme::Mbr:
        return "mbr";
    case PartitionScheme::Gpt:
        return "gpt";
    case PartitionScheme::None:
        break;
    }
    return "none";
}

std::string_view SchemeText(PartitionScheme scheme) {
    switch (scheme) {
    case PartitionScheme::Mbr:
        return "master boot record";
    case PartitionScheme::Gpt:
        return "GUID partition table";
    case PartitionScheme::None:
        break;
    }
    return "no partition table";
}

} // namespace

std::string_view GptCopyKey(GptCopy copy) {
    switch (copy) {
    case GptCopy::Primary:
        return "primary";
    case GptCopy::Backup:
        return "backup";
    case GptCopy::Unreadable:
        return "unreadable";
    case GptCopy::None:
        break;
    }
    return "";
}

void PrintWalkNotes(std::ostream& out, const DiskPartitions& disk, bool warningsOnly) {
    for (const WalkNote& note : disk.notes) {
        if (note.warning || !warningsOnly) {
            out << (note.warning ? "warning: " : "note: ") << TerminalText(note.text) << '\n';
        }
    }
}

int RunPartitions(const CommonOptions& options, std::ostream& out) {
    CliContext context(options.disk, options.badSectors);
    RecoverySession& session = context.Session();
    const TreeModel::Item root = ListCliPartitions(context, false, {}, nullptr, false);
    const DiskPartitions& disk = session.Partitions[0];

    if (options.json) {
        nlohmann::json list = nlohmann::json::array();
        for (std::uint32_t i = 0; i < disk.count; ++i) {
            const PartitionInfo& p = disk.partitions[i];
            nlohmann::json row = PartitionJson(session, i);
            row["scheme"] = SchemeKey(p.scheme);
            if (p.scheme == PartitionScheme::Gpt) {
                row["gptEntry"] = p.gptEntry;
                row["name"] = p.name;
                row["typeGuid"] = p.typeGuid.Text();
                row["typeName"] = GptTypeName(KindOfGptType(p.typeGuid));
                row["uniqueGuid"] = p.uniqueGuid.Text();
                row["attributes"] = p.attributes;
                row["logical"] = false;
            } else {
                row["typeByte"] = p.typeByte;
                row["logical"] = p.mbrPosition < 0;
            }
            list.push_back(std::move(row));
        }
        PrintJson(out, list);
        PrintWalkNotes(std::cerr, disk, false);
        return 0;
    }
    out << session.FolderTree.At(root).text << "  (" << SchemeText(disk.scheme)
        << (disk.gptCopy == GptCopy::Backup ? ", backup copy" : "") << ")\n";
    for (std::uint32_t i = 0; i < disk.count; ++i) {
        const PartitionInfo& p = disk.partitions[i];
        const std::string head =
            fmt::format("  {:<26} first {:>12}  end {:>12}  ",
                        session.FolderTree.At(p.treeItem).text, p.firstSector, p.endSector);
        if (p.scheme == PartitionScheme::Gpt) {
            out << head
                << fmt::format("{:<18}  {}\n", GptTypeName(KindOfGptType(p.typeGuid)),
                               TerminalText(p.name));
        } else {
            out << head << fmt::format("type 0x{:02X}\n", p.typeByte);
        }
    }
    if (disk.count == 0) {
        out << "  (no partitions)\n";
    }
    PrintWalkNotes(out, disk, false);
    if (disk.gptCopy == GptCopy::Unreadable) {
        out << "Search for them with: quorvane-cli search-partitions DISK\n";
    }
    return 0;
}

} // namespace quorvane::cli
