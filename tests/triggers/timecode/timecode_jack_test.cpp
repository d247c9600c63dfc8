// Timecode end to end on the JACK dummy server of the test services: LTC
// written by libltc is read in capture-sized blocks, as it is heard, and the
// button whose start time comes up plays on the engine's output.

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "fake_midi_driver.h"
#include "ltc_signal.h"
#include "midi_on_jack.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"
#include "triggers/timecode/ltc_reader.h"
#include "triggers/timecode/timecode_engine.h"

namespace tamberline::testing {
namespace {

TEST(TimecodeJackTest, AStartTimeReachedByLtcIsHeardOnTheEngineOutput) {
    if (std::getenv("TAMBERLINE_JACK") == nullptr) {
        GTEST_SKIP() << "no JACK server: run scripts/test-services.sh start";
    }
    TempDir dir;
    ScriptedMessageBox box;
    MidiOnJack jack(dir.File("Tamberline.conf"), box);
    std::string why;
    ASSERT_TRUE(jack.Start(why)) << why;
    const std::string tone = MidiOnJack::WriteTone(dir.Path(), 10.0);
    jack.run().LoadRecord(5, jack.Button(tone, 0, 0));
    ASSERT_TRUE(jack.peer().Listen(jack.FirstOutputPort()));

    SystemClock clock;
    LtcPresence presence;
    RunController& run = jack.run();
    TimecodeEngine engine(run.control(),
                          {clock,
                           presence,
                           [&run](std::span<const int> buttons) {
                               run.RequestStarts(std::vector<int>(buttons.begin(), buttons.end()));
                           },
                           [](const std::string&) {},
                           {}});
    engine.SetStartupComplete();
    engine.Start();
    TimecodeStarts starts{};
    // Locked at 01:00:01:00; more than 60 frames ahead of it.
    starts[5] = {true, 30 * (3600 + 4)};  // 01:00:04:00
    engine.SetStarts(starts);
    LtcReader reader(
        25, [&engine](std::vector<LtcArrival> frames) { engine.LtcFrames(std::move(frames)); });

    LtcSignal signal;
    signal.frames = 25 * 6;
    const std::vector<uint8_t> samples = EncodeLtc(signal);
    jack.peer().ArmSoundWatch();
    // Blocks as the capture delivers them: every 125 ms, as they are heard.
    bool silentBeforeTheCue = true;
    for (size_t at = 0; at + LtcDecoder::kBlockBytes <= samples.size();
         at += LtcDecoder::kBlockBytes) {
        std::this_thread::sleep_for(std::chrono::milliseconds(125));
        const double heardSeconds =
            static_cast<double>(at + LtcDecoder::kBlockBytes) / LtcDecoder::kSampleRate;
        if (heardSeconds < 3.9 && jack.run().Snapshot(5).running) {
            silentBeforeTheCue = false;
        }
        reader.Block(std::span(samples).subspan(at, LtcDecoder::kBlockBytes), clock.TickCount());
    }
    EXPECT_TRUE(silentBeforeTheCue);
    ASSERT_TRUE(WaitFor([&] { return jack.run().Snapshot(5).running; }));
    EXPECT_TRUE(WaitFor([&] { return jack.peer().SoundFrame() != 0; }))
        << "nothing heard on " << jack.FirstOutputPort();
    engine.Stop();
}

}  // namespace
}  // namespace tamberline::testing
