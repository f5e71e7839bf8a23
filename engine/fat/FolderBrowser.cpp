#include "engine/fat/FolderBrowser.h"

#include "engine/core/CellText.h"
#include "engine/fat/FatChain.h"
#include "engine/fat/FatDirectory.h"
#include "engine/fat/FatListText.h"
#include "engine/fat/FatTree.h"
#include "engine/session/RecoverySession.h"

#include <vector>

namespace quorvane {

FolderListFill FillFolderList(RecoverySession& session, TreeModel::Item item, bool enterSpelling) {
    TreeFolderList& folders = session.Fat.TreeFolders;
    ListModel& list = session.Tables.MainList;
    const bool ntfs = session.Fat.Volume.FileSystem == "NTFS";
    FolderListFill fill;

    std::uint32_t opened = ntfs ? kNtfsRootNumber : kFatRootNumber;
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
        list.SetCell(row, 1, deleted ? deletedText : folderText);
        list.SetCell(row, 2, "0");
        list.SetCell(row, 3, FatDateText(static_cast<std::uint16_t>(child.date)));
        list.SetCell(row, 4, FatTimeText(static_cast<std::uint16_t>(child.time)));
        list.SetCell(row, 5, Decimal(child.selfId));
        list.SetCell(row, 6, Decimal(child.parentId));
        list.SetCell(row, 7, Decimal(child.item));
        ++fill.folderRows;
    });
    // The NTFS listing of files belongs to the NTFS engine; FAT files are read
    // here, except for a folder whose content cannot be read ("Lost").
    if (!ntfs && opened != kLostFolderNumber) {
        fill.fileRows = ListFatDirectory(session, list, list.RowCount(), opened, openedDeleted);
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

void LoadFolderOnce(RecoverySession& session, TreeModel::Item item) {
    TreeFolderList& folders = session.Fat.TreeFolders;
    const std::size_t n = folders.FirstWithItem(item);
    if (n != TreeFolderList::npos) {
        if (folders[n].selfId == kLostFolderNumber) {
            folders[n].loaded = true;
            return;
        }
        if (folders[n].loaded) {
            return;
        }
        folders[n].loaded = true;
        const std::uint32_t self = folders[n].selfId;
        const DirectorySectors order = FolderSectors(session, self);
        const PreviousSector previous = order.Previous();
        for (const std::uint64_t sector : order.Sectors()) {
            if (!RelabelWithLongNames(session, sector, self, item, previous)) {
                break;
            }
        }
    }
}

void OnItemExpanding(RecoverySession& session, TreeModel::Item item, bool expanding) {
    TreeModel& tree = session.FolderTree;
    if (!tree.Valid(item)) {
        return;
    }
    if (!expanding && item != session.Fat.RootItem &&
        tree.At(item).text.rfind("Partition", 0) != 0) {
        tree.SetImage(item, kFolderImage, kFolderImage);
    }
    if (tree.Parent(item) == TreeModel::kNone) {
        return; // top-level items stop here
    }
    if (expanding) {
        LoadFolderOnce(session, item);
        tree.Expand(item);
    } else {
        tree.At(item).expanded = false;
    }
}

} // namespace quorvane
