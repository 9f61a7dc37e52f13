// The timer on the platform's timers under the virtual clock: when it runs, when a
// change restarts its period, the longest interval, a handler that raises, destruction,
// and a platform that has no timer left.

#include "framework/Timer.h"
#include "platform/MessageBox.h"
#include "platform/Timers.h"
#include "platform/Window.h"
#include "runtime/Exceptions.h"
#include "tests/framework/FrameworkTest.h"

namespace orvalis::test {
namespace {

// Notes the virtual time of each tick, and raises when asked.
struct TickLog : TObject {
    void Tick(TObject* sender) {
        times.push_back(platform::GetTickCount64());
        senders.push_back(sender);
        if (raise) throw Exception(String("Disque plein"));
    }
    TNotifyEvent Handler() { return TNotifyEvent(this, &TickLog::Tick); }

    std::vector<std::uint64_t> times;
    std::vector<TObject*> senders;
    bool raise = false;
};

using Times = std::vector<std::uint64_t>;

class Timers : public FrameworkTest {
protected:
    TickLog log;
};

TEST_F(Timers, RunsOnlyWithAnIntervalAHandlerAndEnabled) {
    Run([&](TApplication&) {
        TTimer timer(nullptr);
        EXPECT_TRUE(timer.Enabled());
        EXPECT_EQ(timer.Interval(), 1000u);
        script.Advance(1500)
            .Check([&] {
                EXPECT_TRUE(log.times.empty()) << "no handler, no timer";
                timer.SetOnTimer(log.Handler());
            })
            .Advance(2600)  // ticks at 2500 and 3500
            .Check([&] { timer.SetInterval(0); })
            .Advance(3000)
            .Check([&] { timer.SetInterval(1000); })  // at 7100
            .Advance(1000)
            .Check([&] { timer.SetEnabled(false); })
            .Advance(5000);
        PumpUntilScriptEnds();
        EXPECT_EQ(log.times, (Times{2500, 3500, 8100}));
        EXPECT_EQ(log.senders, (std::vector<TObject*>(3, &timer)));
    });
}

TEST_F(Timers, ADisabledTimerNeverTicks) {
    Run([&](TApplication&) {
        TTimer timer(nullptr);
        timer.SetEnabled(false);
        timer.SetInterval(10);
        timer.SetOnTimer(log.Handler());
        script.Advance(60000).Check([&] { timer.SetEnabled(true); }).Advance(15);
        PumpUntilScriptEnds();
        EXPECT_EQ(log.times, (Times{60010})) << "enabling starts a whole period";
    });
}

TEST_F(Timers, TheSameIntervalKeepsThePeriodAndAHandlerAlwaysRestartsIt) {
    Run([&](TApplication&) {
        TTimer timer(nullptr);
        timer.SetInterval(3000);
        timer.SetOnTimer(log.Handler());
        script.Advance(2000)
            .Check([&] { timer.SetInterval(3000); })
            .Advance(1500)                                    // the tick at 3000 comes as planned
            .Check([&] { timer.SetOnTimer(log.Handler()); })  // the same handler, at 3500
            .Advance(3500);
        PumpUntilScriptEnds();
        EXPECT_EQ(log.times, (Times{3000, 6500}));
    });
}

TEST_F(Timers, TheLongestIntervalIsKeptWhole) {
    constexpr std::uint32_t kLongest = 2147483647;
    constexpr std::uint64_t kDay = 24ull * 3600 * 1000;
    Run([&](TApplication&) {
        TTimer timer(nullptr);
        timer.SetOnTimer(log.Handler());
        timer.SetInterval(kLongest);
        EXPECT_EQ(timer.Interval(), kLongest);
        script.Advance(24 * kDay).Check([&] { EXPECT_TRUE(log.times.empty()); }).Advance(kDay);
        PumpUntilScriptEnds();
        EXPECT_EQ(log.times, (Times{kLongest}));
    });
}

TEST_F(Timers, AHandlerThatRaisesIsReportedAtEachTickAndKeepsTicking) {
    Run([&](TApplication& application) {
        TTimer timer(nullptr);
        timer.SetOnTimer(log.Handler());
        log.raise = true;
        script.Advance(1000)
            .Check([&] {
                ASSERT_NE(backend.ShownMessageBox(), nullptr);
                EXPECT_EQ(backend.ShownMessageBox()->text, "Disque plein.");
                EXPECT_EQ(backend.ShownMessageBox()->caption, application.AppTitle().ToStdString());
            })
            .AnswerMessageBox(platform::IDOK)
            .Advance(1000)
            .AnswerMessageBox(platform::IDOK)
            .Check([&] { log.raise = false; })
            .Advance(1000);
        PumpUntilScriptEnds();
        EXPECT_EQ(log.times, (Times{1000, 2000, 3000}));
        EXPECT_EQ(Boxes().size(), 2u);
    });
}

TEST_F(Timers, DestroyingTheOwnerStopsTheTicks) {
    Run([&](TApplication&) {
        auto owner = std::make_unique<TComponent>(nullptr);
        auto* timer = new TTimer(owner.get());
        timer->SetOnTimer(log.Handler());
        const auto windows = platform::GetTopLevelWindows().size();
        script.Advance(1500)
            .Check([&] {
                owner.reset();
                EXPECT_EQ(platform::GetTopLevelWindows().size(), windows - 1) << "its hidden window went too";
            })
            .Advance(5000);
        PumpUntilScriptEnds();
        EXPECT_EQ(log.times, (Times{1000}));
    });
}

TEST_F(Timers, AHiddenUtilityWindowCarriesTheTimer) {
    Run([&](TApplication&) {
        const auto before = platform::GetTopLevelWindows();
        TTimer timer(nullptr);
        const auto after = platform::GetTopLevelWindows();
        ASSERT_EQ(after.size(), before.size() + 1);
        const platform::HWND window = after.front();
        EXPECT_EQ(platform::GetClassName(window), "TPUtilWindow");
        EXPECT_FALSE(platform::IsWindowVisible(window));
        EXPECT_EQ(platform::GetWindowText(window), "");
        EXPECT_EQ(platform::GetWindowExStyle(window), platform::WS_EX_TOOLWINDOW);
    });
}

TEST_F(Timers, APlatformWithoutTimersLeftRefusesTheStart) {
    Run([&](TApplication&) {
        platform::RegisterWindowClass({"TimerFiller", 0});
        const platform::HWND filler =
            platform::CreateWindow({"TimerFiller", "", platform::WS_POPUP, 0, {}, 0, nullptr});
        for (std::uintptr_t id = 1; id <= platform::kTimerLimit; ++id)
            ASSERT_EQ(platform::SetTimer(filler, id, 60000), id);
        TTimer timer(nullptr);
        try {
            timer.SetOnTimer(log.Handler());
            ADD_FAILURE() << "a timer beyond the limit";
        } catch (const EOutOfResources& error) {
            EXPECT_EQ(error.Message(), "Pas assez de timers disponibles");
        }
        EXPECT_TRUE(timer.OnTimer()) << "the property keeps its new value";
        platform::KillTimer(filler, 1);
        timer.SetInterval(500);
        script.Advance(600);
        PumpUntilScriptEnds();
        EXPECT_EQ(log.times, (Times{500}));
        platform::DestroyWindow(filler);
    });
}

}  // namespace
}  // namespace orvalis::test
