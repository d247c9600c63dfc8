// The real wickett program against a real firewalld, run in a network
// namespace of its own on a D-Bus of its own, so that neither this
// machine's traffic nor its firewall configuration is touched. Needs root,
// firewalld, dbus-daemon and ip; skips without them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "wickett_process.h"

namespace wickett {
namespace {

const QString kService = QStringLiteral("org.fedoraproject.FirewallD1");
const QString kPath = QStringLiteral("/org/fedoraproject/FirewallD1");

constexpr const char* kBusConfig = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/>
  </policy>
</busconfig>
)";

class WickettFirewalldTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "firewalld needs root";
        }
        for (const char* tool : {"firewalld", "dbus-daemon", "ip"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty() &&
                QStandardPaths::findExecutable(
                    QString::fromLatin1(tool),
                    {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
                    .isEmpty()) {
                GTEST_SKIP() << tool << " is not installed";
            }
        }
        ASSERT_TRUE(dir_.isValid());
        StartBus();
        StartFirewalld();
    }

    void TearDown() override {
        QDBusConnection::disconnectFromBus(address_);
        for (QProcess* process : {&firewalld_, &bus_}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(10000)) {
                    process->kill();
                    process->waitForFinished();
                }
            }
        }
        if (!namespace_.isEmpty()) {
            QProcess::execute(QStringLiteral("ip"),
                              {QStringLiteral("netns"), QStringLiteral("del"), namespace_});
        }
    }

    void StartBus() {
        const QString socket = dir_.filePath(QStringLiteral("bus"));
        QFile config(dir_.filePath(QStringLiteral("bus.conf")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(QString::fromLatin1(kBusConfig).arg(socket).toUtf8());
        config.close();
        bus_.start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--nofork"), QStringLiteral("--config-file=") + config.fileName()});
        ASSERT_TRUE(bus_.waitForStarted());
        address_ = QStringLiteral("unix:path=") + socket;
        QDeadlineTimer deadline(10000);
        while (!QFileInfo::exists(socket) && !deadline.hasExpired()) {
            QThread::msleep(20);
        }
        ASSERT_TRUE(QFileInfo::exists(socket));
    }

    void StartFirewalld() {
        namespace_ = QStringLiteral("wickett-test-%1").arg(QCoreApplication::applicationPid());
        ASSERT_EQ(QProcess::execute(QStringLiteral("ip"),
                                    {QStringLiteral("netns"), QStringLiteral("add"), namespace_}),
                  0);
        config_ = dir_.filePath(QStringLiteral("firewalld"));
        ASSERT_EQ(
            QProcess::execute(QStringLiteral("cp"),
                              {QStringLiteral("-r"), QStringLiteral("/etc/firewalld"), config_}),
            0);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address_);
        firewalld_.setProcessEnvironment(environment);
        firewalld_.setProcessChannelMode(QProcess::MergedChannels);
        firewalld_.start(QStringLiteral("ip"),
                         {QStringLiteral("netns"), QStringLiteral("exec"), namespace_,
                          QStringLiteral("firewalld"), QStringLiteral("--nofork"),
                          QStringLiteral("--nopid"), QStringLiteral("--system-config"), config_,
                          QStringLiteral("--log-target"), QStringLiteral("console")});
        ASSERT_TRUE(firewalld_.waitForStarted());
        // Up once it answers on the bus.
        QDeadlineTimer deadline(60000);
        while (!deadline.hasExpired()) {
            if (Call(kPath, QStringLiteral("org.fedoraproject.FirewallD1"),
                     QStringLiteral("getDefaultZone"), {})
                    .type() == QDBusMessage::ReplyMessage) {
                return;
            }
            if (firewalld_.waitForFinished(200)) {
                break;
            }
        }
        GTEST_SKIP() << "firewalld did not start here: " << firewalld_.readAll().toStdString();
    }

    QDBusMessage Call(const QString& path, const QString& interface, const QString& method,
                      const QList<QVariant>& arguments) {
        // Named by the address: each test has a bus of its own.
        QDBusConnection bus = QDBusConnection::connectToBus(address_, address_);
        QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, method);
        call.setArguments(arguments);
        return bus.call(call, QDBus::Block, 10000);
    }

    bool RuntimeAllows() {
        const QDBusReply<bool> reply = Call(
            kPath, QStringLiteral("org.fedoraproject.FirewallD1.zone"), QStringLiteral("queryPort"),
            {QString(), QStringLiteral("4320"), QStringLiteral("udp")});
        return reply.isValid() && reply.value();
    }

    bool StoredAllows() {
        const QDBusReply<QDBusObjectPath> zone =
            Call(kPath + QStringLiteral("/config"),
                 QStringLiteral("org.fedoraproject.FirewallD1.config"),
                 QStringLiteral("getZoneByName"), {QStringLiteral("public")});
        if (!zone.isValid()) {
            return false;
        }
        const QDBusReply<bool> reply =
            Call(zone.value().path(), QStringLiteral("org.fedoraproject.FirewallD1.config.zone"),
                 QStringLiteral("queryPort"), {QStringLiteral("4320"), QStringLiteral("udp")});
        return reply.isValid() && reply.value();
    }

    QByteArray ZoneFile() {
        QFile file(config_ + QStringLiteral("/zones/public.xml"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    testing::WickettRun Run() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address_);
        return testing::RunWickett(environment);
    }

    static void ExpectSilentSuccess(const testing::WickettRun& run) {
        EXPECT_FALSE(run.crashed);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.output.isEmpty()) << run.output.toStdString();
    }

    QTemporaryDir dir_;
    QProcess bus_;
    QProcess firewalld_;
    QString address_;
    QString namespace_;
    QString config_;
};

TEST_F(WickettFirewalldTest, OpensThePortNowAndForLaterThenChangesNothing) {
    ASSERT_FALSE(RuntimeAllows());
    ASSERT_FALSE(StoredAllows());

    ExpectSilentSuccess(Run());
    EXPECT_TRUE(RuntimeAllows());
    EXPECT_TRUE(StoredAllows());
    const QByteArray stored = ZoneFile();
    EXPECT_TRUE(stored.contains(R"(<port port="4320" protocol="udp"/>)")) << stored.toStdString();
    const QDateTime written =
        QFileInfo(config_ + QStringLiteral("/zones/public.xml")).lastModified();

    ExpectSilentSuccess(Run());
    EXPECT_EQ(ZoneFile(), stored);
    EXPECT_EQ(QFileInfo(config_ + QStringLiteral("/zones/public.xml")).lastModified(), written);
}

TEST_F(WickettFirewalldTest, PortOpenOnlyUntilRestartIsStoredToo) {
    const QDBusMessage added =
        Call(kPath, QStringLiteral("org.fedoraproject.FirewallD1.zone"), QStringLiteral("addPort"),
             {QString(), QStringLiteral("4320"), QStringLiteral("udp"), 0});
    ASSERT_EQ(added.type(), QDBusMessage::ReplyMessage) << added.errorMessage().toStdString();

    ExpectSilentSuccess(Run());
    EXPECT_TRUE(RuntimeAllows());
    EXPECT_TRUE(StoredAllows());
}

}  // namespace
}  // namespace wickett
