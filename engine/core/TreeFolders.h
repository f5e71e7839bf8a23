#pragma once

#include "engine/core/TreeModel.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quorvane {

// Special folder numbers of the folder tree (a folder's number is its first
// cluster on FAT, its MFT record number on NTFS).
inline constexpr std::uint32_t kFatRootNumber = 0;
inline constexpr std::uint32_t kNtfsRootNumber = 5;
inline constexpr std::uint32_t kLostFolderNumber = 0x0FFFFFFF; // 268435455, "Lost"

// One folder item of the folder tree, FAT or NTFS.
struct TreeFolder {
    std::string name;
    TreeModel::Item item = TreeModel::kNone;
    std::uint32_t selfId = 0;
    std::uint32_t parentId = 0;
    std::int64_t date = 0; // FAT: raw date word; NTFS: raw time stamp
    std::int64_t time = 0; // FAT: raw time word
    bool loaded = false;   // its sub-folders were named from its directory
    bool deleted = false;
    bool namedLive = false; // named from a live (not deleted) directory entry
    // Index of the record whose item this one hangs under; npos at the top.
    std::size_t parentRecord = static_cast<std::size_t>(-1);
};

// The folder records in insertion order, with the look-ups the tree builder,
// the relabelling and the browser need in constant time.
class TreeFolderList {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    std::size_t Append(TreeFolder folder);
    void Clear();
    void Reserve(std::size_t count);

    std::size_t Count() const { return records_.size(); }
    TreeFolder& operator[](std::size_t i) { return records_.at(i); }
    const TreeFolder& operator[](std::size_t i) const { return records_.at(i); }
    auto begin() const { return records_.begin(); }
    auto end() const { return records_.end(); }

    // The record whose item is `item`, npos when none.
    std::size_t FirstWithItem(TreeModel::Item item) const {
        return item < byItem_.size() ? byItem_[item] : npos;
    }
    // The first record whose self id is `self`, npos when none.
    std::size_t FirstWithSelf(std::uint32_t self) const;
    // The first record with both ids, npos when none.
    std::size_t FirstWithSelfAndParent(std::uint32_t self, std::uint32_t parent) const;
    // Calls visit(index) for the records whose parent id is `parent`, in list order.
    template <typename Visit> void ForEachWithParent(std::uint32_t parent, Visit visit) const {
        const auto it = byParent_.find(parent);
        for (std::size_t i = it == byParent_.end() ? npos : it->second.first; i != npos;
             i = nextWithParent_[i]) {
            visit(i);
        }
    }

private:
    std::vector<TreeFolder> records_;
    std::vector<std::size_t> byItem_;
    std::vector<std::size_t> nextWithParent_;
    // First and last record of each parent id, linked through nextWithParent_.
    std::unordered_map<std::uint32_t, std::pair<std::size_t, std::size_t>> byParent_;
    std::unordered_map<std::uint32_t, std::size_t> bySelf_;
    std::unordered_map<std::uint64_t, std::size_t> bySelfParent_;
};

} // namespace quorvane
