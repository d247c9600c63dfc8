#include <gtest/gtest.h>

#include <sndfile.h>

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <future>
#include <thread>

#include "playback/run_controller.h"
#include "playback/sound/sound_system.h"
#include "run_fixture.h"

namespace tamberline::testing {
namespace {

std::vector<int> NoteOnButtons(MidiOutQueue& midi) {
    std::vector<int> buttons;
    for (uint32_t m; midi.Pop(m);) {
        if ((m & 0xF0) == 0x90) {
            buttons.push_back(static_cast<int>((m >> 8) & 0x7F));  // note = button here
        }
    }
    return buttons;
}

TEST_F(RunFixture, StartGroupStartsEachMemberOnceAndReArms) {
    midi_.SetEnabled(true);
    const std::string path = MonoFile("a.wav", 480000);
    for (int b : {3, 7, 12}) {
        ButtonRecord record = Record(path);
        record.startGroup = 5;
        record.midiNote = static_cast<uint8_t>(b);
        record.midiChannel = 1;
        Load(b, record);
    }
    runner_->Requests().Request(7);
    control_->Drain();
    control_->Drain();
    // 12 is above 7 and starts in the same pass; 3 in the next one.
    EXPECT_EQ(NoteOnButtons(midi_), (std::vector<int>{7, 12, 3}));
    EXPECT_TRUE(runner_->Requests().IsArmed(5));

    runner_->Requests().Request(12);
    control_->Drain();
    control_->Drain();
    EXPECT_EQ(NoteOnButtons(midi_), (std::vector<int>{12, 3, 7}));
    for (int b : {3, 7, 12}) {
        EXPECT_TRUE(runner_->State(b).running) << b;
    }
}

// The members' files open one by one on the file work, with output mixed
// between: still every member starts on one frame. Eight members of one
// marker file on one pair: any member late by d frames leaves a frame that
// is not eight times the file's.
TEST_F(RunFixture, AStartGroupStartsOnOneFrameThoughItsFilesOpenOneByOne) {
    std::deque<std::pair<std::function<void()>, std::function<void()>>> queued;
    RunServices services;
    services.host = &host_;
    services.runLog = log_.get();
    services.fileWork = [&queued](std::function<void()> work, std::function<void()> done) {
        queued.emplace_back(std::move(work), std::move(done));
    };
    UseRunner(services);
    const std::string path = MonoFile("m.wav", 9000);
    constexpr int kMembers = 8;
    for (int m = 0; m < kMembers; ++m) {
        ButtonRecord record = Record(path);
        record.startGroup = 3;
        Load(10 + 20 * m, record);
    }
    runner_->Requests().Request(50);
    std::vector<float> out;
    for (int round = 0; round < 40 && (round < 2 || !queued.empty()); ++round) {
        control_->Drain();
        if (!queued.empty()) {
            auto [work, done] = std::move(queued.front());
            queued.pop_front();
            work();
            done();
        }
        const std::vector<float> block = Speaker(Render(512), 0);
        out.insert(out.end(), block.begin(), block.end());
    }
    ASSERT_TRUE(queued.empty());
    for (int m = 0; m < kMembers; ++m) {
        EXPECT_TRUE(runner_->State(10 + 20 * m).running) << m;
    }
    const std::vector<float> rest = Speaker(Render(8000), 0);
    out.insert(out.end(), rest.begin(), rest.end());
    const auto start = std::find_if(out.begin(), out.end(), [](float v) { return v != 0.0f; });
    ASSERT_NE(start, out.end());
    const size_t first = static_cast<size_t>(start - out.begin());
    ASSERT_GE(first, 512u * (kMembers - 1)) << "nothing plays before the last member is ready";
    for (size_t f = 0; f < 6000; ++f) {
        ASSERT_FLOAT_EQ(out[first + f], kMembers * 0.5f * MarkerFloat(static_cast<int64_t>(f), 0))
            << "frame " << f;
    }
}

// A member that cannot start holds up the others only until it is known.
TEST_F(RunFixture, AStartGroupMemberThatCannotStartHoldsNoOneBack) {
    const std::string path = MonoFile("m.wav", 48000);
    for (int b : {1, 2, 3}) {
        ButtonRecord record = Record(b == 2 ? dir_.File("missing.wav") : path);
        record.startGroup = 4;
        Load(b, record);
    }
    host_.box.Answer("Ignore");
    runner_->Requests().Request(1);
    control_->Drain();
    control_->Drain();
    EXPECT_TRUE(runner_->State(1).running);
    EXPECT_FALSE(runner_->State(2).running);
    EXPECT_TRUE(runner_->State(3).running);
    float peak = 0.0f;
    for (float v : Speaker(Render(4800), 0)) {
        peak = std::max(peak, std::abs(v));
    }
    EXPECT_GT(peak, 0.0f) << "the members that could start play";
}

// Starts and stops from several threads at once: no crash, no deadlock, and
// in the end no voice sounds without a button that shows it.
class RunFlood : public OfflineSound {
protected:
    void SetUp() override {
        OfflineSound::SetUp();
        RunServices services;
        services.host = &host_;
        services.midiOut = &midi_;
        run_ = std::make_unique<RunController>(services);
        OutputTable table;
        table.entries.push_back({"ASIO 1+2", "ASIO 1+2", true});
        OutputList list;
        list.Fill(table);
        run_->SetOutputs(table, list);
        run_->SetEngine(&system_);
    }
    void TearDown() override { run_->Shutdown(); }

    ButtonRecord Assigned(const std::string& path) {
        ButtonRecord record{};
        SetPath(record, path);
        record.status = STATUS_ASSIGNED;
        record.volume = 100;
        record.pan = 100;
        record.varispeed = 100;
        return record;
    }
    std::string OneSecond() {
        return WriteMarkerFile(dir_, "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000, 48000);
    }
    // Holds the control thread until the returned promise is set.
    std::promise<void> Block() {
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        run_->control().Post([released] { released.wait(); });
        return release;
    }

    RecordingHost host_;
    MidiOutQueue midi_;
    std::unique_ptr<RunController> run_;
};

TEST_F(RunFlood, ManyThreadsStartingAndStoppingLeaveNothingBehind) {
    const std::string path =
        WriteMarkerFile(dir_, "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000, 48000);
    RunController& run = *run_;
    ButtonRecord record{};
    SetPath(record, path);
    record.status = STATUS_ASSIGNED;
    record.volume = 100;
    record.pan = 100;
    record.varispeed = 100;
    for (int b = 0; b < 16; ++b) {
        run.LoadRecord(b, record);
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&run, t] {
            for (int k = 0; k < 300; ++k) {
                const int b = (k * 7 + t) % 16;
                switch (k % 5) {
                    case 0: run.StartButton(b); break;
                    case 1: run.RequestStarts({b, (b + 1) % 16}); break;
                    case 2: run.ReleaseButton(b); break;
                    case 3: run.StopButton(b); break;
                    default:
                        if (k % 50 == 4) {
                            run.StopAll();
                        }
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    run.Drain();
    run.Drain();
    run.StopAll();
    run.Drain();
    for (int b = 0; b < 16; ++b) {
        EXPECT_FALSE(run.Snapshot(b).running || run.Snapshot(b).paused) << b;
    }
    run.Shutdown();
    for (float v : Render(1024)) {
        ASSERT_EQ(v, 0.0f);
    }
}

TEST_F(RunFlood, ARequestAfterAStopAllStartsAgain) {
    const std::string path =
        WriteMarkerFile(dir_, "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000, 48000);
    RunController& run = *run_;
    ButtonRecord record{};
    SetPath(record, path);
    record.status = STATUS_ASSIGNED;
    record.volume = 100;
    record.varispeed = 100;
    run.LoadRecord(2, record);
    run.StopAll();
    run.RequestStarts({2});
    run.Drain();
    run.Drain();
    EXPECT_TRUE(run.Snapshot(2).running);
    EXPECT_EQ(run.Snapshot(2).remainingMs, 1000);
}

// Play while triggered during a busy spell: down, up, down. The second
// press must not join the first one's pass, queued before the release.
TEST_F(RunFlood, RequestsTakeEffectInTheOrderMade) {
    run_->LoadRecord(4, Assigned(OneSecond()));
    std::promise<void> release = Block();
    run_->RequestStarts({4});
    run_->ReleaseButton(4);
    run_->RequestStarts({4});
    release.set_value();
    run_->Drain();
    EXPECT_TRUE(run_->Snapshot(4).running);
}

TEST_F(RunFlood, StartGroupOutOfRangeStartsOnlyItsButton) {
    const std::string path = OneSecond();
    for (int b : {3, 5}) {
        ButtonRecord record = Assigned(path);
        record.startGroup = 255;
        run_->LoadRecord(b, record);
    }
    run_->RequestStarts({3});
    run_->Drain();
    run_->Drain();
    EXPECT_TRUE(run_->Snapshot(3).running);
    EXPECT_FALSE(run_->Snapshot(5).running);
}

// Examining a songlist for the setup leaves the button as it was: no songs
// shown, and its next start sends no note-off for a songlist it never had.
TEST_F(RunFlood, PrepareRecordLeavesTheButtonAsItWas) {
    midi_.SetEnabled(true);
    const std::string path = OneSecond();
    ButtonRecord plain = Assigned(path);
    plain.midiNote = 60;
    plain.midiChannel = 1;
    run_->LoadRecord(0, plain);
    ButtonRecord list = Assigned(dir_.Write("show.m3u", "a.wav\na.wav\n"));
    EXPECT_EQ(run_->PrepareRecord(0, list), kPrepared);
    EXPECT_EQ(list.durationMs, 2000u);
    EXPECT_EQ(run_->Snapshot(0).songsLeft, 0);
    EXPECT_TRUE(host_.changed.empty()) << "an examined copy is no run data of the session";
    run_->StartButton(0);
    run_->Drain();
    std::vector<uint32_t> sent;
    for (uint32_t m; midi_.Pop(m);) {
        sent.push_back(m);
    }
    EXPECT_EQ(sent, std::vector<uint32_t>{0x7F3C90u});
}

// The caller gives up; the command still runs later and must not write
// into the caller's stack (AddressSanitizer watches this).
TEST_F(RunFlood, WaitsThatTimeOutLeaveNothingBehind) {
    run_->LoadRecord(0, Assigned(OneSecond()));
    std::promise<void> release = Block();
    {
        ButtonRecord record = Assigned(dir_.File("a.wav"));
        EXPECT_EQ(run_->PrepareRecord(0, record, std::chrono::milliseconds(20)), kFileMissing);
        EXPECT_EQ(record.durationMs, 0u);
        EXPECT_EQ(run_->NextRunningGraphButton(0, std::chrono::milliseconds(20)), -1);
    }
    // Another frame over the same stack.
    std::array<char, 4096> scribble;
    scribble.fill('x');
    release.set_value();
    run_->Drain();
    EXPECT_EQ(scribble[0], 'x');
}

}  // namespace
}  // namespace tamberline::testing
