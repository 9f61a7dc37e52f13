#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "runtime/SharedRef.h"

using orvalis::SharedRef;

namespace {

// A record that counts its holders and tells when its last share is given back.
struct CountedRecord {
    explicit CountedRecord(bool& destroyedFlag) : destroyed(destroyedFlag) {}
    void AddShare() { ++shares; }
    static void Release(CountedRecord* record) {
        if (--record->shares == 0) {
            record->destroyed = true;
            delete record;
        }
    }

    bool& destroyed;
    int shares = 0;
};

}  // namespace

TEST(SharedRef, CopiesTakeASharePerHolderAndTheLastHolderDestroysTheRecord) {
    bool destroyed = false;
    {
        SharedRef first(std::make_unique<CountedRecord>(destroyed));
        EXPECT_EQ(first->shares, 1);
        {
            SharedRef second = first;
            EXPECT_EQ(second, first);
            EXPECT_EQ(first->shares, 2);
            SharedRef<CountedRecord> third;
            third = second;
            EXPECT_EQ(first->shares, 3);
        }
        EXPECT_EQ(first->shares, 1);
        SharedRef<CountedRecord>& sameHolder = first;
        first = sameHolder;  // a record assigned to its own holder is kept
        EXPECT_EQ(first->shares, 1);
        EXPECT_FALSE(destroyed);
    }
    EXPECT_TRUE(destroyed);
}

TEST(SharedRef, AssigningAnotherRecordGivesBackTheShareOfTheOldOne) {
    bool firstDestroyed = false;
    bool secondDestroyed = false;
    SharedRef holder(std::make_unique<CountedRecord>(firstDestroyed));
    SharedRef other(std::make_unique<CountedRecord>(secondDestroyed));
    holder = other;
    EXPECT_TRUE(firstDestroyed);
    EXPECT_EQ(holder->shares, 2);
    other = SharedRef<CountedRecord>();
    EXPECT_EQ(holder->shares, 1);
    EXPECT_FALSE(secondDestroyed);
}

TEST(SharedRef, AMoveHandsTheShareOverAndLeavesTheSourceEmpty) {
    bool destroyed = false;
    SharedRef source(std::make_unique<CountedRecord>(destroyed));
    CountedRecord* record = source.get();
    SharedRef target = std::move(source);
    EXPECT_FALSE(source);
    EXPECT_EQ(target.get(), record);
    EXPECT_EQ(record->shares, 1);
    SharedRef<CountedRecord> assigned;
    assigned = std::move(target);
    EXPECT_FALSE(target);
    EXPECT_EQ(record->shares, 1);
    EXPECT_FALSE(destroyed);
}
