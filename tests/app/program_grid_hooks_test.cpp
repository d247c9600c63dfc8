#include "app/program_grid_hooks.h"

#include <gtest/gtest.h>

#include "console_fixture.h"

namespace tamberline {
namespace {

TEST(SampleEditHooksTest, OnlyAButtonThatPlaysIsStoppedForTheEditor) {
    testing::FakeRunControl run;
    run.states[7].running = true;
    run.states[9].paused = true;
    const SampleEditHooks hooks = SampleEditHooksFor(run);
    EXPECT_TRUE(hooks.isPlayingOrPaused(7));
    EXPECT_TRUE(hooks.isPlayingOrPaused(9));
    EXPECT_FALSE(hooks.isPlayingOrPaused(3));
    for (int button : {3, 7, 9}) {
        hooks.releaseMedia(button);
    }
    EXPECT_EQ(run.calls, (std::vector<std::string>{"stop 7", "stop 9"}));
    EXPECT_TRUE(hooks.isPlaylist("/show/Set.M3U"));
    EXPECT_FALSE(hooks.isPlaylist("/show/cue.wav"));
}

TEST(ProgramGridHooksTest, ABlockOfOneButtonIsSetUpOnItsOwn) {
    ProgramGridHooks hooks;
    hooks.OpenSetupButton(3);  // nothing plugged in yet: nothing happens
    std::vector<int> setups;
    std::vector<std::vector<int>> blocks;
    hooks.SetSetupDialogs(
        [&setups](int button) { setups.push_back(button); },
        [&blocks](const std::vector<int>& buttons) { blocks.push_back(buttons); });
    hooks.OpenSetupButton(4);
    hooks.OpenBlockAssign({9});
    hooks.OpenBlockAssign({});
    hooks.OpenBlockAssign({1, 2});
    EXPECT_EQ(setups, (std::vector<int>{4, 9}));
    EXPECT_EQ(blocks, (std::vector<std::vector<int>>{{1, 2}}));
}

}  // namespace
}  // namespace tamberline
