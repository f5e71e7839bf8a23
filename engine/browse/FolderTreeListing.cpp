#include "engine/browse/FolderTreeListing.h"

#include "engine/core/CellText.h"

#include <utility>

namespace quorvane {

void ListFolderTree(const BrowseContext& browse,
                    const std::function<void(const ListedEntry&)>& visit) {
    TreeModel& tree = browse.folders.FolderTree;
    const TreeModel::Item root = browse.folders.RootItem;
    if (!tree.Valid(root)) {
        return;
    }
    TreeFolderList& folders = browse.folders.TreeFolders;
    ListModel& list = browse.list;

    struct Pending {
        TreeModel::Item item;
        std::vector<std::string> path;
    };
    // An explicit stack: a tree of nested lost folders can be deeper than the
    // call stack.
    std::vector<Pending> stack;
    stack.push_back({root, {}});
    while (!stack.empty()) {
        Pending current = std::move(stack.back());
        stack.pop_back();
        if (current.item != root) {
            const std::size_t n = folders.FirstWithItem(current.item);
            ListedEntry folder;
            folder.path = current.path;
            folder.folder = true;
            folder.item = current.item;
            if (n != TreeFolderList::npos) {
                const TreeFolder& f = folders[n];
                folder.deleted = f.deleted;
                folder.type = f.deleted ? "Deleted FOLDER" : "FOLDER";
                folder.firstCluster = f.selfId;
                folder.date = browse.source.FolderDateText(f);
                folder.time = browse.source.FolderTimeText(f);
            }
            visit(folder);
        }
        list.DeleteAll();
        const FolderListFill fill = FillFolderList(browse, current.item);
        for (std::size_t r = fill.folderRows; r < list.RowCount(); ++r) {
            ListedEntry file;
            file.path = current.path;
            file.path.push_back(list.Cell(r, 0));
            file.type = list.Cell(r, 1);
            file.deleted = file.type.rfind("Deleted ", 0) == 0;
            file.size = ParseDecimal(list.Cell(r, 2));
            file.date = list.Cell(r, 3);
            file.time = list.Cell(r, 4);
            file.firstCluster = static_cast<std::uint32_t>(ParseDecimal(list.Cell(r, 5)));
            visit(file);
        }
        const std::vector<TreeModel::Item>& children = tree.Children(current.item);
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            std::vector<std::string> path = current.path;
            path.push_back(tree.At(*it).text);
            stack.push_back({*it, std::move(path)});
        }
    }
}

} // namespace quorvane
