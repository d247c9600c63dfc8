#include "app/button_face.h"

#include <gtest/gtest.h>

#include "app/status_line.h"

namespace tamberline {
namespace {

TEST(ButtonFaceTest, ClockRoundsUpToHalfSecondsThenTruncates) {
    const struct {
        int64_t ms;
        const char* text;
    } cases[] = {
        {1000, "0:01"},       {1500, "0:01"},     {1501, "0:02"},       {59500, "0:59"},
        {3600000, "1:00:00"}, {-800, "0:00"},     {-5000, "0:00"},      {0, "0:00"},
        {599999, "10:00"},    {3599500, "59:59"}, {3599501, "1:00:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClockText(c.ms), c.text) << c.ms;
    }
}

TEST(ButtonFaceTest, TextColourFollowsLuminance) {
    const struct {
        ColorRef face;
        ColorRef text;
    } cases[] = {
        {0x000000, kWhite},
        {0xFFFFFF, kBlack},
        {0x00FF00, kBlack},
        // Pure red (0x0000FF) and pure blue (0xFF0000) are dark.
        {0x0000FF, kWhite},
        {0xFF0000, kWhite},
        {0x00FFFF, kBlack},
        // Y = 127 exactly is not above 127.
        {0x7F7F7F, kWhite},
        {0x808080, kBlack},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextColour(c.face), c.text) << std::hex << c.face;
    }
}

TEST(ButtonFaceTest, TimeFieldLookByRunState) {
    ButtonRecord r{};
    r.status = STATUS_ASSIGNED;
    r.colour = 0x000000;
    r.durationMs = 61000;
    ButtonRunView idle;
    ButtonRunView running;
    running.running = true;
    running.remainingMs = 4200;
    ButtonRunView paused;
    paused.paused = true;
    paused.remainingMs = 3000;
    ButtonRunView fading = running;
    fading.fadingOut = true;
    ButtonRunView locked;
    locked.locked = true;

    const struct {
        ButtonRunView run;
        ColorRef background, text;
        const char* caption;
    } cases[] = {
        {idle, 0x000000, kWhite, "1:01"},     {running, kRed, kWhite, "0:04"},
        {paused, kGapColour, kBlack, "0:03"}, {fading, kGapColour, kBlack, "0:04"},
        {locked, 0x000000, kWhite, "Locked"},
    };
    for (const auto& c : cases) {
        const TimeFieldLook look = TimeLook(r, c.run, false);
        EXPECT_EQ(look.background, c.background) << c.caption;
        EXPECT_EQ(look.text, c.text) << c.caption;
        EXPECT_EQ(look.caption, c.caption);
        EXPECT_EQ(look.inset, 0);
    }
    // The cue frame, in the caption colour; a playing cue button is drawn a
    // pixel smaller so the frame stays visible.
    EXPECT_TRUE(TimeLook(r, idle, true).cueFrame);
    EXPECT_EQ(TimeLook(r, idle, true).cueFrameColour, kWhite);
    EXPECT_EQ(TimeLook(r, idle, true).inset, 0);
    EXPECT_EQ(TimeLook(r, running, true).inset, 1);
}

}  // namespace
}  // namespace tamberline
