#pragma once
// A share of a record that counts its holders: taking the handle takes a share, copying
// it takes one more, and destroying it (or assigning another record to it) gives the
// share back. Moving hands the share over and leaves the source empty.
//
// The record provides AddShare() and a static Release(record) that destroys it with its
// last share. A new record has no holder yet: the first handle takes the first share.

#include <memory>
#include <utility>

namespace orvalis {

template <class T>
class SharedRef {
public:
    SharedRef() = default;
    explicit SharedRef(std::unique_ptr<T> record) : record_(record.release()) { TakeShare(); }
    SharedRef(const SharedRef& other) : record_(other.record_) { TakeShare(); }
    SharedRef(SharedRef&& other) noexcept : record_(std::exchange(other.record_, nullptr)) {}
    // The new share is taken before the old one is given back, so a record assigned to
    // its own holder survives.
    SharedRef& operator=(SharedRef other) noexcept {
        std::swap(record_, other.record_);
        return *this;
    }
    ~SharedRef() {
        if (record_) T::Release(record_);
    }

    T* get() const { return record_; }
    T& operator*() const { return *record_; }
    T* operator->() const { return record_; }
    explicit operator bool() const { return record_ != nullptr; }
    friend bool operator==(const SharedRef& a, const SharedRef& b) { return a.record_ == b.record_; }

private:
    void TakeShare() {
        if (record_) record_->AddShare();
    }

    T* record_ = nullptr;
};

}  // namespace orvalis
