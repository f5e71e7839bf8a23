#include "engine/browse/FolderBrowser.h"

#include "engine/core/CellText.h"
#include "engine/core/FileEntry.h"

#include <vector>

namespace quorvane {

FolderListFill FillFolderList(const BrowseContext& browse, TreeModel::Item item,
                              bool enterSpelling) {
    TreeFolderList& folders = browse.folders.TreeFolders;
    ListModel& list = browse.list;
    FolderListFill fill;

    std::uint32_t opened = browse.source.RootNumber();
    bool openedDeleted = false;
    const std::size_t node = folders.FirstWithItem(item);
    if (node != TreeFolderList::npos) {
        opened = folders[node].selfId;
        openedDeleted = folders[node].deleted;
    }

    const std::string_view folderText = enterSpelling ? "Folder" : "FOLDER";
    const std::string_view deletedText = enterSpelling ? "Deleted Folder" : "Deleted FOLDER";
    folders.ForEachWithParent(opened, [&](std::size_t i) {
        TreeFolder& child = folders[i];
        const bool deleted = child.deleted || openedDeleted;
        if (deleted) {
            child.deleted = true;
        }
        const std::size_t row = list.InsertRow(list.RowCount(), child.name, kFolderImage);
        list.SetCell(row, filelist::kType, deleted ? deletedText : folderText);
        list.SetCell(row, filelist::kSize, "0");
        list.SetCell(row, filelist::kDate, browse.source.FolderDateText(child));
        list.SetCell(row, filelist::kTime, browse.source.FolderTimeText(child));
        list.SetCell(row, filelist::kDebug1, Decimal(child.selfId));
        list.SetCell(row, filelist::kDebug2, Decimal(child.parentId));
        list.SetCell(row, filelist::kDebug3, Decimal(child.item));
        ++fill.folderRows;
    });
    // A folder whose content cannot be read ("Lost") has no files to list.
    if (opened != kLostFolderNumber) {
        fill.fileRows = browse.source.ListFiles(list, opened, openedDeleted);
    }
    return fill;
}

std::string ItemPath(const TreeModel& tree, TreeModel::Item root, TreeModel::Item item) {
    std::vector<const std::string*> texts;
    for (TreeModel::Item i = item; tree.Valid(i) && i != root; i = tree.Parent(i)) {
        texts.push_back(&tree.At(i).text);
    }
    std::string path;
    for (auto it = texts.rbegin(); it != texts.rend(); ++it) {
        if (!path.empty() && path.back() != '\\') {
            path += '\\';
        }
        path += **it;
    }
    return path;
}

namespace {

void SetSubtree(TreeModel& tree, TreeModel::Item item, int state) {
    std::vector<TreeModel::Item> stack = {item};
    while (!stack.empty()) {
        const TreeModel::Item i = stack.back();
        stack.pop_back();
        tree.SetCheckState(i, state);
        for (const TreeModel::Item child : tree.Children(i)) {
            stack.push_back(child);
        }
    }
}

} // namespace

void ToggleCheck(TreeModel& tree, TreeModel::Item item) {
    if (!tree.Valid(item)) {
        return;
    }
    const bool uncheck = tree.At(item).checkState != TreeModel::kUnchecked;
    SetSubtree(tree, item, uncheck ? TreeModel::kUnchecked : TreeModel::kChecked);
    for (TreeModel::Item a = tree.Parent(item); tree.Valid(a); a = tree.Parent(a)) {
        bool allUnchecked = true;
        bool noneOpen = true; // no child unchecked or partly checked
        for (const TreeModel::Item child : tree.Children(a)) {
            const int s = tree.At(child).checkState;
            allUnchecked = allUnchecked && s == TreeModel::kUnchecked;
            noneOpen = noneOpen && s != TreeModel::kUnchecked && s != TreeModel::kPartlyChecked;
        }
        if (uncheck) {
            tree.SetCheckState(a, allUnchecked ? TreeModel::kUnchecked : TreeModel::kPartlyChecked);
        } else {
            tree.SetCheckState(a, noneOpen ? TreeModel::kChecked : TreeModel::kPartlyChecked);
        }
    }
}

void LoadFolderOnce(const BrowseContext& browse, TreeModel::Item item) {
    TreeFolderList& folders = browse.folders.TreeFolders;
    const std::size_t n = folders.FirstWithItem(item);
    if (n != TreeFolderList::npos && StartLoading(folders[n])) {
        browse.source.LoadFolder(browse.folders, n);
    }
}

void OnItemExpanding(const BrowseContext& browse, TreeModel::Item item, bool expanding) {
    TreeModel& tree = browse.folders.FolderTree;
    if (!tree.Valid(item)) {
        return;
    }
    if (!expanding && item != browse.folders.RootItem &&
        tree.At(item).text.rfind("Partition", 0) != 0) {
        tree.SetImage(item, kFolderImage, kFolderImage);
    }
    if (tree.Parent(item) == TreeModel::kNone) {
        return; // top-level items stop here
    }
    if (expanding) {
        LoadFolderOnce(browse, item);
        tree.Expand(item);
    } else {
        tree.At(item).expanded = false;
    }
}

} // namespace quorvane
