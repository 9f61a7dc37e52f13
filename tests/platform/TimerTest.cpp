#include "platform/Timers.h"
#include "tests/platform/PlatformFixture.h"

namespace orvalis::platform::testing {
namespace {

class TimerTest : public PlatformTest {
protected:
    TimerTest() {
        window = TopLevel({0, 0, 10, 10});
        recorder.handlers[WM_TIMER] = [this](HWND, WPARAM id, LPARAM) {
            ticks.emplace_back(id, GetTickCount64());
            return 0;
        };
    }
    void Quit() {
        script.Check([] { PostQuitMessage(0); });
    }

    HWND window;
    std::vector<std::pair<WPARAM, std::uint64_t>> ticks;  // timer id, virtual time
};

using Ticks = std::vector<std::pair<WPARAM, std::uint64_t>>;

TEST_F(TimerTest, EachTickIsDispatchedAtItsOwnTimeAsTheClockAdvances) {
    SetTimer(window, 1, 3000);
    SetTimer(window, 2, 4000);
    script.Advance(10000);
    Quit();
    RunLoop();
    EXPECT_EQ(ticks, (Ticks{{1, 3000}, {2, 4000}, {1, 6000}, {2, 8000}, {1, 9000}}));
    EXPECT_EQ(backend.Clock(), 10000u);
}

TEST_F(TimerTest, PeriodsMissedWhileBusyGiveOneTick) {
    SetTimer(window, 1, 1000);
    backend.ElapseBusy(3500);
    Message message;
    ASSERT_TRUE(PeekMessage(message));
    EXPECT_EQ(message.message, WM_TIMER);
    EXPECT_FALSE(PeekMessage(message));
    // The timer keeps its rhythm: the next tick is at 4000, not 4500.
    script.Advance(1000);
    Quit();
    RunLoop();
    EXPECT_EQ(ticks, (Ticks{{1, 4000}}));
}

TEST_F(TimerTest, SettingATimerAgainRestartsItsPeriod) {
    SetTimer(window, 1, 3000);
    script.Advance(2000).Check([this] { SetTimer(window, 1, 3000); }).Advance(4000);
    Quit();
    RunLoop();
    EXPECT_EQ(ticks, (Ticks{{1, 5000}}));
}

TEST_F(TimerTest, TheLongestSignedPeriodDoesNotOverflow) {
    constexpr std::uint32_t kLongest = 2147483647;
    EXPECT_EQ(SetTimer(window, 1, kLongest), 1u);
    script.Advance(kLongest - 1).Check([this] { EXPECT_TRUE(ticks.empty()); }).Advance(1).Advance(kLongest);
    Quit();
    RunLoop();
    EXPECT_EQ(ticks, (Ticks{{1, kLongest}, {1, 2ull * kLongest}}));
}

TEST_F(TimerTest, KilledTimersAndTimersOfDeadWindowsNeverTick) {
    SetTimer(window, 1, 100);
    EXPECT_TRUE(KillTimer(window, 1));
    EXPECT_FALSE(KillTimer(window, 1));
    HWND doomed = TopLevel({0, 0, 10, 10});
    SetTimer(doomed, 2, 100);
    DestroyWindow(doomed);
    EXPECT_EQ(SetTimer(doomed, 3, 100), 0u);
    script.Advance(1000);
    Quit();
    RunLoop();
    EXPECT_TRUE(ticks.empty());
}

TEST_F(TimerTest, RefusesTimersPastTheLimit) {
    for (std::uintptr_t id = 1; id <= kTimerLimit; ++id) ASSERT_EQ(SetTimer(window, id, 1000), id);
    EXPECT_EQ(SetTimer(window, kTimerLimit + 1, 1000), 0u);
    EXPECT_EQ(SetTimer(window, 5, 2000), 5u);  // restarting one that runs is no new timer
    KillTimer(window, 5);
    EXPECT_EQ(SetTimer(window, kTimerLimit + 1, 1000), kTimerLimit + 1);
}

}  // namespace
}  // namespace orvalis::platform::testing
