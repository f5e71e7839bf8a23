#include "engine/core/TreeFolders.h"

#include <algorithm>

namespace quorvane {

namespace {
std::uint64_t PairKey(std::uint32_t self, std::uint32_t parent) {
    return (static_cast<std::uint64_t>(self) << 32) | parent;
}
} // namespace

std::size_t TreeFolderList::Append(TreeFolder folder) {
    const std::size_t index = records_.size();
    if (folder.item >= byItem_.size()) {
        byItem_.resize(std::max<std::size_t>(folder.item + 1, byItem_.size() * 2), npos);
    }
    if (byItem_[folder.item] == npos) {
        byItem_[folder.item] = index;
    }
    nextWithParent_.push_back(npos);
    const auto [it, first] = byParent_.try_emplace(folder.parentId, index, index);
    if (!first) {
        nextWithParent_[it->second.second] = index;
        it->second.second = index;
    }
    bySelf_.try_emplace(folder.selfId, index);
    bySelfParent_.try_emplace(PairKey(folder.selfId, folder.parentId), index);
    records_.push_back(std::move(folder));
    return index;
}

void TreeFolderList::Clear() {
    records_.clear();
    byItem_.clear();
    nextWithParent_.clear();
    byParent_.clear();
    bySelf_.clear();
    bySelfParent_.clear();
}

void TreeFolderList::Reserve(std::size_t count) {
    records_.reserve(count);
    nextWithParent_.reserve(count);
    byParent_.reserve(count);
    bySelf_.reserve(count);
    bySelfParent_.reserve(count);
}

std::size_t TreeFolderList::FirstWithSelf(std::uint32_t self) const {
    const auto it = bySelf_.find(self);
    return it == bySelf_.end() ? npos : it->second;
}

std::size_t TreeFolderList::FirstWithSelfAndParent(std::uint32_t self, std::uint32_t parent) const {
    const auto it = bySelfParent_.find(PairKey(self, parent));
    return it == bySelfParent_.end() ? npos : it->second;
}

} // namespace quorvane
