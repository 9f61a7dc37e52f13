#pragma once
// TList: an ordered list of untyped pointers, as the framework's lists hold them.
// The list owns nothing; whoever fills it releases what the items point to.

#include <cassert>
#include <cstddef>
#include <vector>

namespace orvalis {

class TList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    void* Items(int index) const {
        assert(index >= 0 && index < Count());
        return items_[static_cast<std::size_t>(index)];
    }
    void SetItem(int index, void* item) {
        assert(index >= 0 && index < Count());
        items_[static_cast<std::size_t>(index)] = item;
    }
    int Add(void* item) {
        items_.push_back(item);
        return Count() - 1;
    }
    void Insert(int index, void* item) {
        assert(index >= 0 && index <= Count());
        items_.insert(items_.begin() + index, item);
    }
    void Delete(int index) {
        assert(index >= 0 && index < Count());
        items_.erase(items_.begin() + index);
    }
    int IndexOf(const void* item) const {
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (items_[i] == item) return static_cast<int>(i);
        return -1;
    }
    // Removes the first occurrence; returns its former index, or -1.
    int Remove(const void* item) {
        const int index = IndexOf(item);
        if (index >= 0) Delete(index);
        return index;
    }
    void Clear() { items_.clear(); }

private:
    std::vector<void*> items_;
};

}  // namespace orvalis
