#include "app/single_instance.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <atomic>
#include <thread>

namespace tamberline {
namespace {

QString UniqueName() {
    return QStringLiteral("tamberline-test-%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(::testing::UnitTest::GetInstance()->current_test_info()->name());
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
        SpinUntil([&] { return restores_ > 0; }, 500);
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

}  // namespace
}  // namespace tamberline
