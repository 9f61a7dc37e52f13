#pragma once
// TCollection and TCollectionItem: a list of persistent items of one class, owned by
// the collection. Form resources fill a collection property with tagCollection
// (each item's published properties in turn).

#include <memory>
#include <vector>

#include "classes/Persistent.h"

namespace orvalis {

class TClassInfo;
class TCollection;

class TCollectionItem : public TPersistent {
    ORVALIS_TYPE_INFO(TCollectionItem)

public:
    // Appends the new item to `collection` (when given), which then owns it.
    explicit TCollectionItem(TCollection* collection);
    // Leaves the collection.
    ~TCollectionItem() override;

    TCollection* Collection() const { return collection_; }
    // The position in the collection, or -1.
    int Index() const;

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
};

class TCollection : public TPersistent {
    ORVALIS_TYPE_INFO(TCollection)

public:
    // A collection of `itemClass` items (a class with a collection-item constructor).
    explicit TCollection(const TClassInfo& itemClass);
    ~TCollection() override;

    const TClassInfo& ItemClass() const { return itemClass_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TCollectionItem* Items(int index) const;
    // A new item of the item class, appended.
    TCollectionItem* Add();
    void Delete(int index);
    void Clear();

    // Suspends Update until the matching EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // Copies the items of another collection, each through CopyFromObject.
    void CopyFromObject(TPersistent* source) override;

protected:
    // Told of a change of `item`, or of the whole collection (null): nothing here.
    virtual void Update(TCollectionItem* item);

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem& item);
    void RemoveItem(TCollectionItem& item);
    void Changed();

    const TClassInfo& itemClass_;
    std::vector<std::unique_ptr<TCollectionItem>> items_;
    int updateCount_ = 0;
};

}  // namespace orvalis
