#include "classes/Collection.h"

#include <algorithm>
#include <cassert>

#include "classes/ClassBuilder.h"
#include "classes/UpdateScope.h"

namespace orvalis {

const TClassInfo& TCollectionItem::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TCollectionItem, TPersistent>("TCollectionItem");
    return info;
}

const TClassInfo& TCollection::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TCollection, TPersistent>("TCollection");
    return info;
}

TCollectionItem::TCollectionItem(TCollection* collection) {
    if (collection) collection->InsertItem(*this);
}

TCollectionItem::~TCollectionItem() {
    if (collection_) collection_->RemoveItem(*this);
}

int TCollectionItem::Index() const {
    if (!collection_) return -1;
    for (int i = 0; i < collection_->Count(); ++i)
        if (collection_->Items(i) == this) return i;
    return -1;
}

TCollection::TCollection(const TClassInfo& itemClass) : itemClass_(itemClass) {
    assert(itemClass.CanCreateItem() && "a collection of collection items");
}

TCollection::~TCollection() {
    updateCount_ = 1;  // no notification while going
    Clear();
}

TCollectionItem* TCollection::Items(int index) const {
    assert(index >= 0 && index < Count());
    return items_[static_cast<std::size_t>(index)].get();
}

TCollectionItem* TCollection::Add() { return itemClass_.CreateItem(*this); }

void TCollection::Delete(int index) {
    assert(index >= 0 && index < Count());
    delete Items(index);  // the item leaves the collection as it goes
}

void TCollection::Clear() {
    if (items_.empty()) return;
    const TUpdateScope update(*this);
    while (!items_.empty()) {
        std::unique_ptr<TCollectionItem> last = std::move(items_.back());
        items_.pop_back();
        last->collection_ = nullptr;
    }
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
    assert(updateCount_ > 0 && "EndUpdate without BeginUpdate");
    if (--updateCount_ == 0) Changed();
}

void TCollection::CopyFromObject(TPersistent* source) {
    auto* other = dynamic_cast<TCollection*>(source);
    if (!other) return TPersistent::CopyFromObject(source);
    if (other == this) return;
    const TUpdateScope update(*this);
    Clear();
    for (int i = 0; i < other->Count(); ++i) Add()->CopyFromObject(other->Items(i));
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::InsertItem(TCollectionItem& item) {
    items_.emplace_back(&item);
    item.collection_ = this;
    Changed();
}

void TCollection::RemoveItem(TCollectionItem& item) {
    const auto held = std::find_if(items_.begin(), items_.end(),
                                   [&](const std::unique_ptr<TCollectionItem>& i) { return i.get() == &item; });
    assert(held != items_.end());
    held->release();  // the item is being destroyed by its own destructor
    items_.erase(held);
    item.collection_ = nullptr;
    Changed();
}

void TCollection::Changed() {
    if (updateCount_ == 0) Update(nullptr);
}

}  // namespace orvalis
