#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "runtime/ScopeGuard.h"

using orvalis::ScopeGuard;

TEST(ScopeGuard, RunsItsCleanUpOnceAtTheEndOfTheScopeByReturnOrException) {
    int runs = 0;
    {
        ScopeGuard count([&] { ++runs; });
        EXPECT_EQ(runs, 0);
    }
    EXPECT_EQ(runs, 1);

    EXPECT_THROW(
        {
            ScopeGuard count([&] { ++runs; });
            throw std::runtime_error("gone");
        },
        std::runtime_error);
    EXPECT_EQ(runs, 2);
}

TEST(ScopeGuard, ACleanUpThatFailsOnANormalExitReachesTheCaller) {
    EXPECT_THROW({ ScopeGuard failing([] { throw std::logic_error("clean-up"); }); }, std::logic_error);
}

TEST(ScopeGuard, TheExceptionLeavingTheScopeGoesOnWhenTheCleanUpFailsToo) {
    try {
        ScopeGuard failing([] { throw std::logic_error("clean-up"); });
        throw std::runtime_error("first");
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "first");
    }
}
