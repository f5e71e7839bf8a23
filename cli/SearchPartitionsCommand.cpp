#include "cli/CliOutput.h"
#include "cli/Commands.h"

#include "engine/volume/PartitionSearch.h"
#include "engine/volume/PartitionWalk.h"

#include <fmt/format.h>
#include <iostream>
#include <nlohmann/json.hpp>

namespace quorvane::cli {

namespace {

// The geometry the catalogue stores for a disk named by the user (255 x 63),
// unless the command line gives another.
SearchGeometry CliGeometry(RecoverySession& session, const SearchOptions& options) {
    SearchGeometry g;
    g.heads = options.heads > 0 ? options.heads : 255;
    g.sectorsPerTrack = options.sectorsPerTrack > 0 ? options.sectorsPerTrack : 63;
    const std::uint64_t sectors = session.Reader.DeviceSectors(session.Device());
    g.cylinders =
        options.cylinders > 0 ? options.cylinders : sectors / (g.heads * g.sectorsPerTrack);
    return g;
}

} // namespace

TreeModel::Item ListCliPartitions(CliContext& context, bool searched, const SearchOptions& search,
                                  PartitionSearchOutcome* outcome, bool warn) {
    RecoverySession& session = context.Session();
    const TreeModel::Item root =
        BuildPartitionTree(session.Reader, 0, session.Partitions, session.FolderTree);
    if (warn) {
        PrintWalkNotes(std::cerr, session.Partitions[0], true);
    }
    if (!searched) {
        return root;
    }
    const PartitionSearchOutcome result =
        SearchPartitions(session.Reader, session.Device(), CliGeometry(session, search),
                         session.Partitions[0], session.FolderTree, root, context.Progress());
    if (outcome != nullptr) {
        *outcome = result;
    }
    return root;
}

int RunSearchPartitions(const CommonOptions& options, const SearchOptions& search,
                        std::ostream& out) {
    CliContext context(options.disk, options.badSectors);
    RecoverySession& session = context.Session();
    const SearchGeometry geometry = CliGeometry(session, search);
    PartitionSearchOutcome outcome;
    const TreeModel::Item root = ListCliPartitions(context, true, search, &outcome);
    const DiskPartitions& disk = session.Partitions[0];
    const SearchGeometry searched = TranslateSearchGeometry(geometry);

    if (options.json) {
        nlohmann::json list = nlohmann::json::array();
        for (std::uint32_t i = 0; i < disk.count; ++i) {
            list.push_back(PartitionJson(session, i));
        }
        const nlohmann::json result = {{"geometry",
                                        {{"cylinders", searched.cylinders},
                                         {"heads", searched.heads},
                                         {"sectorsPerTrack", searched.sectorsPerTrack}}},
                                       {"cylindersSearched", outcome.cylindersSearched},
                                       {"tableFull", outcome.tableFull},
                                       {"partitionType", outcome.comboText},
                                       {"gptUnreadable", disk.gptCopy == GptCopy::Unreadable},
                                       {"start", outcome.range.start},
                                       {"end", outcome.range.end},
                                       {"partitions", list}};
        PrintJson(out, result);
        return 0;
    }
    out << session.FolderTree.At(root).text << '\n';
    for (std::uint32_t i = 0; i < disk.count; ++i) {
        const PartitionInfo& p = disk.partitions[i];
        out << fmt::format("  {:<26} first {:>12}  end {:>12}\n",
                           session.FolderTree.At(p.treeItem).text, p.firstSector, p.endSector);
    }
    if (disk.count == 0) {
        out << "  (no partitions found)\n";
    }
    if (disk.gptCopy == GptCopy::Unreadable) {
        out << "The disk's GUID partition table is unreadable: these are the volumes found by the "
               "search, not the table's partitions.\n";
    }
    out << fmt::format("searched {} cylinder(s) of {} x {} and every 1 MiB boundary{}\n",
                       outcome.cylindersSearched, searched.heads, searched.sectorsPerTrack,
                       outcome.tableFull ? "; the list is full (26 partitions)" : "");
    return 0;
}

} // namespace quorvane::cli
