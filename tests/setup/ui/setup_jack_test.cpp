// End to end on the JACK dummy server of the test services: "Play" in the
// Setup Button dialog on "ASIO 3+4" is heard on JACK playback ports 3 and 4
// through run control's engine, and "Stop" or "Cancel" ends it without a
// click.

#include <unistd.h>

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "playback/run_controller.h"
#include "playback/sound/sound_system.h"
#include "session/run_log.h"
#include "setup/ui/setup_fixture.h"
#include "sound/jack_recorder.h"

namespace tamberline::testing {
namespace {

class SetupPreviewOnJack : public SetupDialogTest {
protected:
    void SetUp() override {
        if (std::getenv("TAMBERLINE_JACK") == nullptr) {
            GTEST_SKIP() << "no JACK server: run scripts/test-services.sh start";
        }
        // The engine's four pairs first, the fixture's cards after them.
        OutputTable table;
        for (int pair = 0; pair < 4; ++pair) {
            const std::string name =
                "ASIO " + std::to_string(2 * pair + 1) + "+" + std::to_string(2 * pair + 2);
            table.entries.push_back({name, name, true, true});
        }
        table.entries.insert(table.entries.end(), table_.entries.begin(), table_.entries.end());
        table.asioActive = true;
        table_ = table;
        list_.Fill(table_);
    }
};

// The largest step between frames, leaving out those next to a gap the
// server or the recorder made (a loaded machine's, not the player's).
float LargestStep(const JackRecorder& recorder, const std::vector<float>& v, size_t from,
                  size_t to) {
    const size_t window = 2 * recorder.PeriodFrames();
    float step = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if (!recorder.NearGap(i, window)) {
            step = std::max(step, std::abs(v[i] - v[i - 1]));
        }
    }
    return step;
}

float Peak(const std::vector<float>& v, size_t from, size_t to) {
    float peak = 0;
    for (size_t i = from; i < to; ++i) {
        peak = std::max(peak, std::abs(v[i]));
    }
    return peak;
}

TEST_F(SetupPreviewOnJack, PlayIsHeardOnTheChosenPairAndStopOrCancelEndItSmoothly) {
    JackRecorder recorder(20.0);
    ASSERT_TRUE(recorder.Open());
    SoundSystem engine;
    ASSERT_TRUE(
        StartEngineOnJack(engine, recorder, "tamberline-setup-" + std::to_string(::getpid())));
    RunController run(RunServices{});
    run.SetEngine(&engine);
    run.StartTicking();

    SetupDialogServices services = Services();
    services.outputs.enginePreview = &run.preview();
    ButtonRecord r{};
    SetPath(r, Wav("tone.wav", 4000));
    SetCaption(r, "Tone");
    r.status = STATUS_ASSIGNED;
    r.volume = 100;
    r.pan = 100;
    r.varispeed = 100;
    r.durationMs = 4000;
    r.output = 1;  // "ASIO 3+4"
    size_t afterStop = 0;
    {
        SetupButtonDialog d(services, 11, r);
        d.show();
        ASSERT_NE(d.outputs().currentText().toStdString().find("ASIO 3+4"), std::string::npos)
            << d.outputs().currentText().toStdString();
        QTest::mouseClick(d.button(QStringLiteral("play")), Qt::LeftButton);
        EXPECT_TRUE(box_.Texts().empty()) << box_.Texts().front();
        ASSERT_TRUE(d.preview().IsPlaying());
        EXPECT_TRUE(d.swatch().playing());
        // The remaining time counts down from the engine's position.
        QTRY_VERIFY_WITH_TIMEOUT(d.preview().RemainingMs() < 3500, 10000);
        QTest::mouseClick(d.button(QStringLiteral("stop")), Qt::LeftButton);
        EXPECT_FALSE(d.preview().IsPlaying());
        afterStop = recorder.Recorded();
        // A fifth of a second of what followed the stop.
        QTRY_VERIFY_WITH_TIMEOUT(recorder.Recorded() > afterStop + 9600, 10000);

        // Played again, Cancel ends it too.
        QTest::mouseClick(d.button(QStringLiteral("play")), Qt::LeftButton);
        ASSERT_TRUE(d.preview().IsPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(d.preview().RemainingMs() < 3500, 10000);
        QTest::mouseClick(d.button(QStringLiteral("cancel")), Qt::LeftButton);
        const size_t afterCancel = recorder.Recorded();
        QTRY_VERIFY_WITH_TIMEOUT(recorder.Recorded() > afterCancel + 9600, 10000);
    }
    recorder.Stop();
    run.SetEngine(nullptr);
    run.Drain();

    const size_t frames = recorder.Recorded();
    ASSERT_GT(frames, 48000u / 2);
    const std::vector<float>& left = recorder.Channel(2);
    const std::vector<float>& right = recorder.Channel(3);
    // The fixture's tone is 0.2 at full level; the centre pan gives each side half.
    EXPECT_NEAR(Peak(left, 0, frames), 0.1f, 0.005f);
    EXPECT_NEAR(Peak(right, 0, frames), 0.1f, 0.005f);
    for (int port : {0, 1, 4, 5, 6, 7}) {
        EXPECT_EQ(Peak(recorder.Channel(port), 0, frames), 0.0f) << "port " << port + 1;
    }
    EXPECT_EQ(Peak(left, afterStop + 4800, afterStop + 9600), 0.0f) << "silent after Stop";
    EXPECT_NEAR(Peak(left, afterStop + 9600, frames - 9600), 0.1f, 0.005f) << "played again";
    EXPECT_EQ(Peak(left, frames - 4800, frames), 0.0f) << "silent after Cancel";
    // A 440 Hz sine of 0.1 moves at most 0.0058 a frame; a hard cut would jump.
    EXPECT_LT(LargestStep(recorder, left, 0, frames), 0.01f) << recorder.Xruns() << " xruns";
    const std::string logText = dir_.Read(kRunLogName);
    EXPECT_NE(logText.find("tone.wav\tTone\t"), std::string::npos) << logText;
}

}  // namespace
}  // namespace tamberline::testing
