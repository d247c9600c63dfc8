#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSerialPort>
#include <chrono>
#include <mutex>
#include <thread>

#include "session/registry.h"
#include "socat_line.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"
#include "triggers/pbus/pbus_port.h"

namespace tamberline::testing {
namespace {

using Action = PbusEffects::Action;

class RecordingTarget final : public PbusTarget {
public:
    void Act(const std::vector<Action>& actions) override {
        std::lock_guard<std::mutex> lock(mutex_);
        actions_.insert(actions_.end(), actions.begin(), actions.end());
    }
    std::vector<Action> actions() {
        std::lock_guard<std::mutex> lock(mutex_);
        return actions_;
    }

private:
    std::mutex mutex_;
    std::vector<Action> actions_;
};

// The controller at the other end of the line: 38400 bit/s, even parity
// (a pseudo-terminal takes the rate and refuses the parity, as it does the
// program's, and carries the bytes all the same).
class Controller {
public:
    bool Open(const std::string& path) {
        port_.setPortName(QString::fromStdString(path));
        if (!port_.open(QIODevice::ReadWrite) || !port_.setBaudRate(38400)) {
            return false;
        }
        port_.setParity(QSerialPort::EvenParity);
        port_.clearError();
        return true;
    }
    std::string error() const { return port_.errorString().toStdString(); }
    void Write(const std::string& bytes) {
        port_.write(bytes.data(), static_cast<qint64>(bytes.size()));
        while (port_.bytesToWrite() > 0 && port_.waitForBytesWritten(5000)) {
        }
    }
    // What has come within `ms`, or as soon as `count` bytes have.
    std::string Read(size_t count, int ms) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (received_.size() < count && std::chrono::steady_clock::now() < until) {
            if (port_.waitForReadyRead(20)) {
                received_ += port_.readAll().toStdString();
            }
        }
        std::string taken = received_;
        received_.clear();
        return taken;
    }

private:
    QSerialPort port_;
    std::string received_;
};

class PbusLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!line_.Start(why)) {
            GTEST_SKIP() << why;
        }
        registry_.SetString(settings::kPbusPort, line_.programEnd());
        registry_.SetDword(settings::kPbusRate, 2);    // 38400
        registry_.SetDword(settings::kPbusParity, 2);  // even
        ASSERT_TRUE(controller_.Open(line_.controllerEnd())) << controller_.error();
    }

    // Runs the GUI thread's queue until `done` or 5 s have passed.
    template <typename Done>
    bool WaitFor(Done done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < until) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return done();
    }
    std::vector<std::string> Statuses() {
        std::lock_guard<std::mutex> lock(statusLock_);
        return statuses_;
    }

    TempDir dir_;
    SocatLine line_{dir_.Path()};
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ScriptedMessageBox box_;
    RecordingTarget target_;
    std::mutex statusLock_;
    std::vector<std::string> statuses_;
    int setups_ = 0;
    int lost_ = 0;
    PbusPort port_{PbusPort::Services{registry_, box_, target_,
                                      [this](int field, const std::string& text) {
                                          std::lock_guard<std::mutex> lock(statusLock_);
                                          statuses_.push_back(std::to_string(field) + text);
                                      },
                                      [this] {
                                          ++setups_;
                                          registry_.SetDword(settings::kPbusAddressA, 1);
                                          return 1;
                                      },
                                      [this] { ++lost_; }, &OpenablePbusPorts}};
    Controller controller_;
};

TEST_F(PbusLineTest, LinesStartAndReleaseInTheirOrder) {
    ASSERT_TRUE(port_.Open());
    controller_.Write("R000001063\rT0000010\rT0000011\rR000002005\rt0000020\r");
    ASSERT_TRUE(WaitFor([&] { return target_.actions().size() == 3; }));
    EXPECT_EQ(target_.actions(), (std::vector<Action>{{99, true}, {99, false}, {105, true}}));
    EXPECT_EQ(Statuses().back(), "19 Last PBus :  T0000020");
    EXPECT_TRUE(box_.Texts().empty());
}

TEST_F(PbusLineTest, QueryIsAnsweredOnTheLine) {
    registry_.SetDword(settings::kPbusAddressB, 1);
    ASSERT_TRUE(port_.Open());
    controller_.Write("Q00\r");
    EXPECT_EQ(controller_.Read(14, 3000), "Tamberline AB\r");
    controller_.Write("Q09\r");
    EXPECT_EQ(controller_.Read(1, 300), "");
}

TEST_F(PbusLineTest, FloodOfJunkIsReadAndDroppedThenCommandsWork) {
    ASSERT_TRUE(port_.Open());
    std::string junk(1 << 20, 'T');
    for (size_t k = 0; k < junk.size(); k += 97) {
        junk[k] = static_cast<char>(k % 3 == 0 ? '\0' : (k % 3 == 1 ? '\xFF' : '\x11'));
    }
    for (int k = 0; k < 10; ++k) {  // 10 MB without a carriage return
        controller_.Write(junk);
    }
    controller_.Write("T0000010\r\rR000001001\rT0000010\r");
    ASSERT_TRUE(WaitFor([&] { return !target_.actions().empty(); }));
    EXPECT_EQ(target_.actions(), (std::vector<Action>{{1, true}}));
}

TEST_F(PbusLineTest, PulledLineSwitchesOffWithTheMessage) {
    ASSERT_TRUE(port_.Open());
    line_.Stop();
    ASSERT_TRUE(WaitFor([&] { return lost_ == 1; }));
    EXPECT_FALSE(port_.IsOpen());
    EXPECT_EQ(box_.Texts(),
              std::vector<std::string>{"Unable to connect using\ncomm port " + line_.programEnd()});
}

TEST_F(PbusLineTest, RepliesHeldByXoffNeitherBlockNorOutliveTheStall) {
    registry_.SetDword(settings::kPbusAddressB, 1);
    ASSERT_TRUE(port_.Open());
    std::string queries = "\x13";
    for (int k = 0; k < 500; ++k) {
        queries += "Q00\r";
    }
    controller_.Write(queries);
    ASSERT_TRUE(WaitFor([&] {
        const auto shown = Statuses();
        return shown.size() >= 500;
    }));
    controller_.Read(1u << 20, 1500);  // whatever slipped out before the stop
    controller_.Write("\x11");
    controller_.Read(1u << 20, 300);
    controller_.Write("Q00\r");
    EXPECT_EQ(controller_.Read(14, 3000), "Tamberline AB\r");
    port_.Close();  // returns while the line is busy
    EXPECT_FALSE(port_.IsOpen());
}

TEST_F(PbusLineTest, CloseDuringAFloodReturns) {
    ASSERT_TRUE(port_.Open());
    std::thread flood([this] {
        Controller writer;
        if (writer.Open(line_.controllerEnd())) {
            writer.Write(std::string(4 << 20, 'x'));
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    port_.Close();
    EXPECT_FALSE(port_.IsOpen());
    line_.Stop();
    flood.join();
}

TEST_F(PbusLineTest, NoAddressConfiguredRunsTheSetupThenOpens) {
    for (const DwordSetting* address : {&settings::kPbusAddressA, &settings::kPbusAddressB,
                                        &settings::kPbusAddressC, &settings::kPbusAddressD}) {
        registry_.SetDword(*address, 0);
    }
    EXPECT_TRUE(port_.Open());
    EXPECT_EQ(setups_, 1);
    EXPECT_EQ(box_.Texts(),
              std::vector<std::string>{"Serial port setup incomplete.\nUse P-Bus setup."});
}

TEST_F(PbusLineTest, PortThatWillNotOpenIsNamedInTheMessage) {
    registry_.SetString(settings::kPbusPort, dir_.File("gone"));
    PbusPort port{PbusPort::Services{
        registry_, box_, target_, nullptr, nullptr, nullptr,
        [](const std::string&) { return std::vector<std::string>{"/dev/ttyS9"}; }}};
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(box_.Texts(),
              std::vector<std::string>{"Unable to connect using\ncomm port " + dir_.File("gone")});
}

TEST_F(PbusLineTest, NoSerialPortAtAll) {
    PbusPort port{
        PbusPort::Services{registry_, box_, target_, nullptr, nullptr, nullptr,
                           [](const std::string&) { return std::vector<std::string>(); }}};
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.SetupPossible());
    EXPECT_EQ(box_.Texts(),
              (std::vector<std::string>{"No serial ports found.\nCannot enable P-Bus.",
                                        "No serial ports found.\nCannot enable P-Bus."}));
}

TEST_F(PbusLineTest, TypedPathIsOfferedWhenItOpens) {
    const std::vector<std::string> ports = OpenablePbusPorts(line_.programEnd());
    EXPECT_NE(std::find(ports.begin(), ports.end(), line_.programEnd()), ports.end());
    EXPECT_TRUE(OpenablePbusPorts(dir_.File("gone")).size() < ports.size());
}

}  // namespace
}  // namespace tamberline::testing
