#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The tree of every wizard step (disks, partitions, file systems, folders)
// without a widget. Items are addressed by stable handles; 0 is "no item".
class TreeModel {
public:
    using Item = std::uint32_t;
    static constexpr Item kNone = 0;

    // Check-box state images.
    enum CheckState : int { kNoState = 0, kUnchecked = 1, kChecked = 2, kPartlyChecked = 3 };

    struct Node {
        std::string text;
        int image = 0;
        int selectedImage = 0;
        int checkState = kNoState;
        bool expanded = false;
        Item parent = kNone;
        std::vector<Item> children;
    };

    TreeModel();

    // Adds an item at the end of the parent's children (kNone: top level).
    Item AddItem(Item parent, std::string_view text, int image, int selectedImage);
    void Clear();

    bool Valid(Item item) const {
        return item != kNone && item < nodes_.size() && nodes_[item].live;
    }
    const Node& At(Item item) const;
    Node& At(Item item);
    const std::vector<Item>& TopLevel() const { return topLevel_; }
    const std::vector<Item>& Children(Item item) const;
    Item Parent(Item item) const;
    std::size_t ItemCount() const { return liveCount_; }

    void SetText(Item item, std::string_view text);
    void SetImage(Item item, int image, int selectedImage);
    void SetCheckState(Item item, int state);
    void Expand(Item item);

private:
    struct Slot : Node {
        bool live = false;
    };
    std::vector<Slot> nodes_; // index 0 is never used
    std::vector<Item> topLevel_;
    std::size_t liveCount_ = 0;
};

} // namespace quorvane
