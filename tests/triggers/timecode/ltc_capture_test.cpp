// LTC through a real capture device: libltc's timecode played into a null
// sink of the PipeWire test server, read back from its monitor by the SMPTE
// reader, fires a start time; the sink removed while reading and loaded
// again. Skips without the test services (scripts/test-services.sh start).

#include <gtest/gtest.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <mutex>
#include <thread>

#include "ltc_signal.h"
#include "playback/control_thread.h"
#include "playback/graph/gstreamer.h"
#include "session/registry.h"
#include "session/settings.h"
#include "support/null_sink.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"
#include "triggers/ltc_presence.h"
#include "triggers/timecode/capture_reader.h"
#include "triggers/timecode/smpte_reader.h"
#include "triggers/timecode/timecode_engine.h"

namespace tamberline::testing {
namespace {

using namespace std::chrono_literals;

uint32_t StartTime(int h, int m, int s, int f) {
    return static_cast<uint32_t>(f + 30 * (s + 60 * (m + 60 * h)));
}

class LtcCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("PULSE_SERVER") == nullptr || !Pactl({"info"})) {
            GTEST_SKIP() << "no PipeWire test server (scripts/test-services.sh start)";
        }
        ASSERT_TRUE(EnsureGStreamer());
        ASSERT_TRUE(sink_.Load());
        engine_.SetStartupComplete();
        engine_.Start();
    }

    // The reader's list shows the sink's monitor (or no longer does).
    bool Listed(bool wanted) {
        for (int attempt = 0; attempt < 50; ++attempt) {
            reader_.HardwareCheck();
            const auto& d = reader_.devices();
            if ((std::find(d.begin(), d.end(), sink_.MonitorDescription()) != d.end()) == wanted) {
                return true;
            }
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }
    // Plays `seconds` of 25 fps LTC from h:00:00:00 into the sink.
    void Play(int hours, int seconds) {
        LtcSignal signal;
        signal.hours = hours;
        signal.frames = 25 * seconds;
        signal.dbfs = -10;
        const std::vector<uint8_t> samples = EncodeLtc(signal);
        const std::string path = dir_.File("ltc.raw");
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(samples.data()),
                   static_cast<qint64>(samples.size()));
        file.close();
        QProcess pacat;
        pacat.start("pacat", {"--playback", "--raw", "--format=u8", "--rate=22050", "--channels=1",
                              QString::fromStdString("--device=" + sink_.Name()),
                              QString::fromStdString(path)});
        ASSERT_TRUE(pacat.waitForFinished(30000));
        EXPECT_EQ(pacat.exitCode(), 0);
    }
    std::vector<int> Fired() {
        std::lock_guard lock(mutex_);
        return fired_;
    }
    std::vector<std::string> Shown() {
        std::lock_guard lock(mutex_);
        return shown_;
    }

    NullSink sink_{"ltc_test", "LtcTest"};
    TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ScriptedMessageBox box_;
    SystemClock clock_;
    GstCaptureSource capture_{clock_};
    LtcPresence presence_;
    ControlThread control_;
    std::mutex mutex_;
    std::vector<int> fired_;
    std::vector<std::string> shown_;
    TimecodeEngine engine_{control_,
                           {clock_,
                            presence_,
                            [this](std::span<const int> buttons) {
                                std::lock_guard lock(mutex_);
                                fired_.insert(fired_.end(), buttons.begin(), buttons.end());
                            },
                            [this](const std::string& text) {
                                std::lock_guard lock(mutex_);
                                shown_.push_back(text);
                            },
                            {}}};
    SmpteReader reader_{
        {registry_, box_, capture_, engine_, presence_, [this](int, const std::string& text) {
             std::lock_guard lock(mutex_);
             shown_.push_back(text);
         }}};
};

TEST_F(LtcCaptureTest, TimecodeFromAMonitorFiresItsStartTimeAndSurvivesTheDeviceGoing) {
    TimecodeStarts starts{};
    starts[5] = {true, StartTime(1, 0, 4, 0)};
    starts[6] = {true, StartTime(2, 0, 4, 0)};
    engine_.SetStarts(starts);
    ASSERT_TRUE(Listed(true));
    registry_.SetString(settings::kSmpteInput, "monitor of ltctest");  // by its beginning, any case
    ASSERT_TRUE(reader_.Enable()) << (box_.Texts().empty() ? "" : box_.Texts()[0]);

    Play(1, 6);
    EXPECT_EQ(Fired(), std::vector<int>{5});
    const std::vector<std::string> shown = Shown();
    EXPECT_NE(std::find(shown.begin(), shown.end(), " 01:00:03   25fps SMPTE "), shown.end());

    // The device goes while it is read: the status says so, nothing breaks.
    sink_.Unload();
    ASSERT_TRUE(Listed(false));
    EXPECT_EQ(Shown().back(), " SMPTE input lost ");
    EXPECT_TRUE(reader_.IsOn());
    // Back again: the reader reads it again by itself.
    ASSERT_TRUE(sink_.Load());
    ASSERT_TRUE(Listed(true));
    Play(2, 6);
    EXPECT_EQ(Fired(), (std::vector<int>{5, 6}));
}

}  // namespace
}  // namespace tamberline::testing
