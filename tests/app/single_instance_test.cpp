#include "app/single_instance.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>

namespace tamberline {
namespace {

QString UniqueName() {
    return QStringLiteral("tamberline-test-%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(::testing::UnitTest::GetInstance()->current_test_info()->name());
}

// True while a console accepts connections on the name.
bool IsInstanceAlive(const QString& name) {
    QLocalSocket socket;
    socket.connectToServer(name);
    return socket.waitForConnected(1000);
}

template <typename Done>
void SpinUntil(Done done, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Listen());
        QObject::connect(&server_, &InstanceServer::RestoreRequested, [this] { ++restores_; });
        QObject::connect(&server_, &InstanceServer::OpenSessionRequested,
                         [this](const QString& path) { paths_.push_back(path); });
    }

    // Hands over from another thread while this one serves.
    bool HandOver(const std::string& path) {
        std::atomic<int> result{-1};
        std::thread second([&] { result = HandOverToRunningInstance(name_, path) ? 1 : 0; });
        SpinUntil([&] { return result >= 0; });
        second.join();
        // The owner's thread emits the restore and then the path: wait for both.
        SpinUntil([&] { return restores_ > 0 && (path.empty() || !paths_.empty()); }, 2000);
        return result == 1;
    }

    QString name_ = UniqueName();
    InstanceServer server_{name_};
    int restores_ = 0;
    std::vector<QString> paths_;
};

TEST_F(SingleInstanceTest, SecondStartWithoutSessionOnlyRestoresTheFirst) {
    EXPECT_TRUE(HandOver(""));
    EXPECT_EQ(restores_, 1);
    EXPECT_TRUE(paths_.empty());
}

TEST_F(SingleInstanceTest, SessionPathReachesTheRunningConsoleAsGiven) {
    EXPECT_TRUE(HandOver("\"/shows/Gala night.dbf\""));
    ASSERT_EQ(paths_.size(), 1u);
    EXPECT_EQ(paths_[0], QStringLiteral("\"/shows/Gala night.dbf\""));
}

// A console busy starting (building graphs, outputs) runs no event loop;
// a second start must still get its answer at once.
TEST_F(SingleInstanceTest, ProbeIsAnsweredWhileTheOwnersThreadIsBusy) {
    std::atomic<int> result{-1};
    std::thread second(
        [&] { result = HandOverToRunningInstance(name_, "/shows/Gala.dbf") ? 1 : 0; });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // busy, no events
    second.join();
    EXPECT_EQ(result, 1);
    SpinUntil([&] { return !paths_.empty(); }, 1000);
    EXPECT_EQ(paths_, std::vector<QString>{QStringLiteral("/shows/Gala.dbf")});
}

TEST_F(SingleInstanceTest, TheNameOfALiveConsoleIsNeverTakenOver) {
    InstanceServer other(name_);
    EXPECT_FALSE(other.Listen());
    EXPECT_TRUE(HandOver(""));
    EXPECT_EQ(restores_, 1);
}

TEST(SingleInstanceNoServerTest, NameLeftByADeadConsoleIsTakenOver) {
    const QString name =
        QStringLiteral("tamberline-test-stale-%1").arg(QCoreApplication::applicationPid());
    {
        // A socket file nobody listens on any more, as a killed console leaves.
        QLocalServer dead;
        dead.setSocketOptions(QLocalServer::UserAccessOption);
        ASSERT_TRUE(dead.listen(name));
        const QString file = dead.fullServerName();
        dead.close();
        QFile(file).open(QIODevice::WriteOnly);
    }
    EXPECT_FALSE(IsInstanceAlive(name));
    {
        InstanceServer server(name);
        EXPECT_TRUE(server.Listen());
        EXPECT_TRUE(IsInstanceAlive(name));
    }
    // Its lock went with it: the name is free again.
    InstanceServer next(name);
    EXPECT_TRUE(next.Listen());
}

TEST(SingleInstanceNoServerTest, NothingRunningMeansNoHandOver) {
    EXPECT_FALSE(
        HandOverToRunningInstance(QStringLiteral("tamberline-test-nobody"), "/x.dbf", 200));
}

TEST_F(SingleInstanceTest, SecondProcessHandsOverItsPathAndEnds) {
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAMBERLINE_INSTANCE"), name_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(TAMBERLINE_EXECUTABLE),
                 {QStringLiteral("/shows/Gala"), QStringLiteral("night.dbf")});
    SpinUntil([&] { return second.state() == QProcess::NotRunning; });
    ASSERT_EQ(second.state(), QProcess::NotRunning);
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    SpinUntil([&] { return !paths_.empty(); }, 1000);
    ASSERT_EQ(paths_.size(), 1u);
    EXPECT_EQ(paths_[0], QStringLiteral("/shows/Gala night.dbf"));
}

// Two real consoles started one after the other: the second hands its
// session to the first, even while the first is still starting up, and
// ends; the first keeps the name.
TEST(SingleInstanceProcessTest, SecondConsoleStartedDuringTheFirstsStartUpHandsOverAndEnds) {
    const QString name =
        QStringLiteral("tamberline-test-two-%1").arg(QCoreApplication::applicationPid());
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAMBERLINE_INSTANCE"), name);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(TAMBERLINE_EXECUTABLE), {});
    ASSERT_TRUE(first.waitForStarted());
    SpinUntil([&] { return IsInstanceAlive(name); }, 20000);
    ASSERT_TRUE(IsInstanceAlive(name));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(TAMBERLINE_EXECUTABLE), {QStringLiteral("/shows/Gala.dbf")});
    SpinUntil([&] { return second.state() == QProcess::NotRunning; }, 20000);
    EXPECT_EQ(second.state(), QProcess::NotRunning);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_TRUE(IsInstanceAlive(name));

    for (QProcess* process : {&second, &first}) {
        process->kill();
        process->waitForFinished();
    }
    QLocalServer::removeServer(name);
}

}  // namespace
}  // namespace tamberline
