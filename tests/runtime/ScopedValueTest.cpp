#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "runtime/ScopedValue.h"

using orvalis::ScopedValue;

TEST(ScopedValue, PutsTheFormerValueBackAtTheEndOfTheScopeByReturnOrException) {
    std::string slot = "before";
    {
        ScopedValue<std::string> scoped(slot, "during");
        EXPECT_EQ(slot, "during");
    }
    EXPECT_EQ(slot, "before");

    int number = 1;
    EXPECT_THROW(
        {
            ScopedValue kept(number);
            number = 2;
            throw std::runtime_error("gone");
        },
        std::runtime_error);
    EXPECT_EQ(number, 1);
}
