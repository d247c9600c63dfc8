#include "app/songlist_durations.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>

#include "app/console_fixture.h"

namespace tamberline::testing {
namespace {

class SonglistDurationsTest : public ConsoleTest {};

TEST_F(SonglistDurationsTest, EveryIdleButtonOfTheSavedListGetsItsLength) {
    Put(3, "/lists/Set.m3u").durationMs = 1000;
    Put(9, "/LISTS/set.M3U").durationMs = 1000;
    Put(7, "/lists/Set.m3u").durationMs = 1000;
    Put(8, "/lists/Other.m3u").durationMs = 1000;
    State(3).playedMs = 4000;
    State(9).playedMs = 5000;
    State(7).running = true;
    State(7).playedMs = 6000;
    EXPECT_EQ(ButtonsUsingSonglist(model_.session().records(), "/lists/set.m3u"),
              (std::vector<int>{3, 7, 9}));

    model_.ApplySonglistLength("/lists/Set.m3u", 62000);
    EXPECT_EQ(At(3).durationMs, 62000u);
    EXPECT_EQ(At(9).durationMs, 62000u);
    EXPECT_EQ(State(3).playedMs, 0u);
    EXPECT_EQ(State(9).playedMs, 0u);
    // A button that plays goes on; its next start measures the list anew.
    EXPECT_EQ(At(7).durationMs, 1000u);
    EXPECT_EQ(State(7).playedMs, 6000u);
    EXPECT_TRUE(State(7).running);
    EXPECT_EQ(At(8).durationMs, 1000u);
    EXPECT_TRUE(run_.calls.empty()) << run_.calls.front();
    EXPECT_EQ(view_.buttons, (std::vector<int>{3, 9}));
}

TEST_F(SonglistDurationsTest, TheSavedListIsMeasuredOffTheGuiThreadWithWhatTheEditorKnew) {
    const std::string list = dir_.Write("Set.m3u", "a.wav\r\nb.wav\r\nc.wav\r\n");
    const std::string folder = dir_.Path() + "/";
    Put(5, list);
    std::atomic<int> measured{0};
    std::vector<std::pair<std::string, int32_t>> applied;
    SonglistDurations durations(
        [this]() -> const RecordArray& { return model_.session().records(); },
        [&measured, folder](const std::string& path) {
            ++measured;
            return path == folder + "b.wav" ? 20100 : 0;  // c.wav is missing
        },
        [&applied](const std::string& path, int32_t ms) { applied.emplace_back(path, ms); });

    durations.Saved(folder + "Unused.m3u", {});
    EXPECT_EQ(durations.Pending(), 0u) << "no button uses it: nothing to do";

    durations.Saved(list, {{folder + "a.wav", 21000}});
    QElapsedTimer timer;
    timer.start();
    while (durations.Pending() > 0 && timer.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].first, list);
    EXPECT_EQ(applied[0].second, 41500);
    EXPECT_EQ(measured.load(), 2) << "a.wav was known already";
}

}  // namespace
}  // namespace tamberline::testing
