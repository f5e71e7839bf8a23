#include "engine/core/TreeModel.h"

#include <stdexcept>

namespace quorvane {

TreeModel::TreeModel() {
    nodes_.resize(1);
}

TreeModel::Item TreeModel::AddItem(Item parent, std::string_view text, int image,
                                   int selectedImage) {
    if (parent != kNone && !Valid(parent)) {
        return kNone;
    }
    const Item item = static_cast<Item>(nodes_.size());
    Slot slot;
    slot.text = text;
    slot.image = image;
    slot.selectedImage = selectedImage;
    slot.parent = parent;
    slot.live = true;
    nodes_.push_back(std::move(slot));
    if (parent == kNone) {
        topLevel_.push_back(item);
    } else {
        nodes_[parent].children.push_back(item);
    }
    ++liveCount_;
    return item;
}

void TreeModel::Clear() {
    nodes_.clear();
    nodes_.resize(1);
    topLevel_.clear();
    liveCount_ = 0;
}

const TreeModel::Node& TreeModel::At(Item item) const {
    if (!Valid(item)) {
        throw std::out_of_range("tree item");
    }
    return nodes_[item];
}

TreeModel::Node& TreeModel::At(Item item) {
    if (!Valid(item)) {
        throw std::out_of_range("tree item");
    }
    return nodes_[item];
}

const std::vector<TreeModel::Item>& TreeModel::Children(Item item) const {
    return item == kNone ? topLevel_ : At(item).children;
}

TreeModel::Item TreeModel::Parent(Item item) const {
    return Valid(item) ? nodes_[item].parent : kNone;
}

void TreeModel::SetText(Item item, std::string_view text) {
    if (Valid(item)) {
        nodes_[item].text = text;
    }
}

void TreeModel::SetImage(Item item, int image, int selectedImage) {
    if (Valid(item)) {
        nodes_[item].image = image;
        nodes_[item].selectedImage = selectedImage;
    }
}

void TreeModel::SetCheckState(Item item, int state) {
    if (Valid(item)) {
        nodes_[item].checkState = state;
    }
}

void TreeModel::Expand(Item item) {
    if (Valid(item)) {
        nodes_[item].expanded = true;
    }
}

} // namespace quorvane
