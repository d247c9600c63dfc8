// MIDI switched on and off over ports a test fakes: which devices open,
// what the operator is told, and what reaches the buttons and the outputs.

#include "triggers/midi/midi_ports.h"
#include "triggers/midi/midi_part.h"

#include <gtest/gtest.h>

#include "fake_midi_driver.h"
#include "playback/run_ports.h"
#include "session/registry.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"
#include "triggers/ltc_presence.h"
#include "triggers/timecode_triggers.h"

namespace tamberline::testing {
namespace {

using Kind = MidiAction::Kind;
using Bytes = std::vector<uint8_t>;

class MidiPortsTest : public ::testing::Test {
protected:
    MidiPortsTest() {
        driver_.inputs = {"Keys", "Pads"};
        driver_.outputs = {"Desk"};
    }

    // The status field's texts, newest last.
    std::vector<std::string> Status(int field) {
        std::lock_guard<std::mutex> lock(statusLock_);
        return status_[field];
    }
    bool Showed(int field, const std::string& text) {
        return WaitFor([&] {
            const std::vector<std::string> texts = Status(field);
            return !texts.empty() && texts.back() == text;
        });
    }
    // Opens, lets the inputs settle and ends start-up.
    void OpenSettled() {
        ASSERT_TRUE(ports_.Open());
        clock_.Advance(MidiInputQueue::kSettleMs);
        ports_.SetStartupComplete();
    }
    bool Acted(size_t count) {
        return WaitFor([&] { return target_.Actions().size() >= count; });
    }

    TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ScriptedMessageBox box_;
    FakeMidiDriver driver_;
    SharedClock clock_;
    MidiOutQueue out_;
    RecordingMidiTarget target_;
    TimecodeTriggers timecode_;
    LtcPresence ltc_;
    std::mutex statusLock_;
    std::map<int, std::vector<std::string>> status_;
    int dialogRuns_ = 0;
    std::function<int()> dialog_ = [] { return 0; };
    MidiPorts ports_{{registry_, box_, driver_, clock_, out_, target_, timecode_, ltc_,
                      [this](int field, const std::string& text) {
                          std::lock_guard<std::mutex> lock(statusLock_);
                          status_[field].push_back(text);
                      },
                      [] { return false; },
                      [this] {
                          ++dialogRuns_;
                          return dialog_();
                      }}};
};

TEST_F(MidiPortsTest, HardwareCheckRestartsMidiOnlyWhenItsDevicesChanged) {
    MidiPart part(ports_, nullptr);
    int restarts = 0;
    part.WatchDevices(driver_, [&restarts] { ++restarts; });
    part.Start(StartStep::kDeviceSnapshot);
    part.HardwareCheck();
    EXPECT_EQ(restarts, 0);
    driver_.inputs = {"Pads", "Keys"};  // listed in another order only
    part.HardwareCheck();
    EXPECT_EQ(restarts, 0);
    driver_.inputs.push_back("Keys");  // a second device of the same name
    part.HardwareCheck();
    EXPECT_EQ(restarts, 1);
    driver_.outputs = {"Lights"};  // one gone, one come: the count is the same
    part.HardwareCheck();
    EXPECT_EQ(restarts, 2);
    part.HardwareCheck();
    EXPECT_EQ(restarts, 2);
}

TEST_F(MidiPortsTest, WithoutAnyPortMidiStaysOffAndSaysSo) {
    driver_.inputs.clear();
    driver_.outputs.clear();
    EXPECT_FALSE(ports_.Open());
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{"No Midi devices\nfound."});
    EXPECT_EQ(Status(17), std::vector<std::string>{""});
    EXPECT_EQ(dialogRuns_, 0);
}

TEST_F(MidiPortsTest, PortsThatFailAreNamedInOneMessageAndNotChosenAgain) {
    driver_.busy = {"Keys", "Desk"};
    EXPECT_TRUE(ports_.Open());  // "Pads" opened
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{"Keys input failed.\nDesk output failed.\n"});
    EXPECT_EQ(registry_.Dword(settings::MidiInPort("Keys")), 0u);
    EXPECT_EQ(registry_.Dword(settings::MidiOutPort("Desk")), 0u);
    EXPECT_EQ(registry_.Dword(settings::MidiInPort("Pads")), 9u);
    EXPECT_EQ(driver_.openedInputs, std::vector<int>{1});
}

TEST_F(MidiPortsTest, AllPortsFailingLeavesMidiOff) {
    driver_.busy = {"Keys", "Pads", "Desk"};
    EXPECT_FALSE(ports_.Open());
    EXPECT_FALSE(ports_.IsOpen());
    EXPECT_EQ(dialogRuns_, 0);
}

TEST_F(MidiPortsTest, NothingChosenOpensTheDialogAndMidiAfterApply) {
    for (const char* name : {"Keys", "Pads"}) {
        registry_.SetDword(settings::MidiInPort(name), 0);
    }
    registry_.SetDword(settings::MidiOutPort("Desk"), 0);
    EXPECT_FALSE(ports_.Open());  // cancelled
    EXPECT_EQ(dialogRuns_, 1);
    dialog_ = [this] {
        registry_.SetDword(settings::MidiOutPort("Desk"), 9);
        return 9;
    };
    EXPECT_TRUE(ports_.Open());
    EXPECT_EQ(driver_.openedOutputs, std::vector<int>{0});
    EXPECT_TRUE(driver_.openedInputs.empty());
}

TEST_F(MidiPortsTest, TwoPortsOfOneNameKeepAChoiceEach) {
    driver_.inputs = {"USB MIDI", "USB MIDI"};
    registry_.SetDword(settings::MidiInPort("USB MIDI"), 0);
    EXPECT_TRUE(ports_.Open());
    EXPECT_EQ(driver_.openedInputs, std::vector<int>{1});
    EXPECT_EQ(registry_.Dword(settings::MidiInPort("USB MIDI (2)")), 9u);
}

TEST_F(MidiPortsTest, NotesActOnTheButtonsAndShowInTheStatusLine) {
    OpenSettled();
    driver_.Deliver(0, {0x90, 60, 100});
    driver_.Deliver(1, {0x84, 61, 0, 0xFF});
    ASSERT_TRUE(Acted(3));
    EXPECT_EQ(target_.Actions(),
              (std::vector<MidiAction>{
                  {Kind::kNoteOn, 1, 60}, {Kind::kNoteOff, 5, 61}, {Kind::kReset, 0, 0}}));
    EXPECT_TRUE(Showed(17, " Last midi :  0xFF reset "));
}

TEST_F(MidiPortsTest, TheFirstHalfSecondAfterOpeningIsDropped) {
    ASSERT_TRUE(ports_.Open());
    ports_.SetStartupComplete();
    clock_.Advance(MidiInputQueue::kSettleMs - 1);
    driver_.Deliver(0, {0x90, 60, 100});
    clock_.Advance(1);
    driver_.Deliver(0, {0x90, 62, 100});
    ASSERT_TRUE(Acted(1));
    EXPECT_EQ(target_.Actions(), (std::vector<MidiAction>{{Kind::kNoteOn, 1, 62}}));
}

TEST_F(MidiPortsTest, TheEchoGoesToEveryOutputAsShortMessages) {
    driver_.outputs = {"Desk", "Lights"};
    OpenSettled();
    const uint32_t messages[] = {0x7F3C91, 0x0078B0, 0xFF};
    ASSERT_TRUE(out_.Queue(messages));
    for (int output : {0, 1}) {
        ASSERT_TRUE(WaitFor([&] { return driver_.Sent(output).size() == 3; }));
        EXPECT_EQ(driver_.Sent(output),
                  (std::vector<Bytes>{{0x91, 60, 127}, {0xB0, 120, 0}, {0xFF}}));
    }
    ports_.Close();
    // Closing leaves no note hanging: all notes off on every channel.
    const std::vector<Bytes> sent = driver_.Sent(0);
    ASSERT_EQ(sent.size(), 3u + 16u);
    EXPECT_EQ(sent.back(), (Bytes{0xBF, 123, 0}));
    EXPECT_FALSE(out_.enabled());
}

TEST_F(MidiPortsTest, AFullOutQueueRefusesWholeBatchesAndCountsThem) {
    std::vector<uint32_t> batch(16, 0x7F3C90);
    int queued = 0;
    while (out_.Queue(batch)) {
        ++queued;
    }
    EXPECT_EQ(queued, static_cast<int>(MidiOutQueue::kSize / 16));
    EXPECT_FALSE(out_.Queue(std::vector<uint32_t>{0xFF}));
    EXPECT_EQ(out_.refused(), 2u);
}

// LTC that stops while unlocked used to shut MIDI timecode out until a
// restart.
TEST(LtcPresenceTest, ASignalLostWhileUnlockedIsGoneAfterFourChecks) {
    LtcPresence ltc;
    ltc.NoteFrame();
    for (int check = 0; check < 3; ++check) {
        ltc.LossCheck();
    }
    EXPECT_TRUE(ltc.present().load());
    ltc.LossCheck();
    EXPECT_FALSE(ltc.present().load());
    ltc.NoteFrame();
    ltc.SetLocked(true);
    ltc.ReaderDisabled();
    EXPECT_FALSE(ltc.present().load());
    EXPECT_FALSE(ltc.locked().load());
}

TEST_F(MidiPortsTest, APortThatGoesAwayIsNamedOnce) {
    OpenSettled();
    driver_.RemoveInput("Pads");
    const std::string gone = " Last midi :  Pads gone ";
    // The reader looks every half second of the clock.
    EXPECT_TRUE(WaitFor([&] {
        clock_.Advance(100);
        const std::vector<std::string> texts = Status(17);
        return !texts.empty() && texts.back() == gone;
    }));
    for (int i = 0; i < 20; ++i) {
        clock_.Advance(100);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    driver_.Deliver(0, {0x90, 60, 100});
    EXPECT_TRUE(Showed(17, " Last midi :  Ch1 Note60 On "));
    const std::vector<std::string> texts = Status(17);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), gone), 1);
    ports_.Close();
    EXPECT_FALSE(ports_.IsOpen());
}

}  // namespace
}  // namespace tamberline::testing
