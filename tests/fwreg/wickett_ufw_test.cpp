// The real wickett program against a stand-in ufw command on PATH, with no
// firewalld on its system bus.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "wickett_process.h"

namespace wickett {
namespace {

// Keeps its rules in files beside itself and logs every call.
constexpr const char* kFakeUfw = R"(#!/bin/sh
here=$(dirname "$0")
echo "$*" >> "$here/calls"
case "$1" in
  status)
    if [ -e "$here/active" ]; then
      printf 'Status: active\n\nTo                         Action      From\n--                         ------      ----\n'
      cat "$here/rules" 2>/dev/null || true
    else
      echo "Status: inactive"
    fi ;;
  allow)
    [ -e "$here/refuse" ] && { echo "ERROR: refused" >&2; exit 1; }
    printf '%-26s ALLOW       Anywhere                   # %s\n' "$2" "$4" >> "$here/rules"
    echo "Rule added" ;;
esac
)";

class WickettUfwTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        QFile ufw(dir_.filePath(QStringLiteral("ufw")));
        ASSERT_TRUE(ufw.open(QIODevice::WriteOnly));
        ufw.write(kFakeUfw);
        ufw.close();
        ufw.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("PATH"), dir_.path() + QStringLiteral(":/usr/bin:/bin"));
        // A bus that does not exist: no firewalld to find.
        environment_.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
                            QStringLiteral("unix:path=") + dir_.filePath(QStringLiteral("no-bus")));
    }

    void Touch(const char* name) {
        QFile file(dir_.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QByteArray Read(const char* name) {
        QFile file(dir_.filePath(QString::fromLatin1(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void ExpectSilentSuccess(const testing::WickettRun& run) {
        EXPECT_FALSE(run.crashed);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.output.isEmpty()) << run.output.toStdString();
    }

    QTemporaryDir dir_;
    QProcessEnvironment environment_;
};

TEST_F(WickettUfwTest, AddsTheRuleOnceAndLeavesItAlone) {
    Touch("active");
    ExpectSilentSuccess(testing::RunWickett(environment_));
    EXPECT_EQ(Read("calls"), "status\nstatus\nallow 4320/udp comment Tamberline\n");

    ExpectSilentSuccess(testing::RunWickett(environment_));
    EXPECT_EQ(Read("calls").count("allow"), 1) << "an allowed port is not added again";
    EXPECT_EQ(Read("rules").count("4320/udp"), 1);
}

TEST_F(WickettUfwTest, InactiveFirewallIsNotTouched) {
    ExpectSilentSuccess(testing::RunWickett(environment_));
    EXPECT_EQ(Read("calls"), "status\n");
}

TEST_F(WickettUfwTest, RefusedRuleStaysSilent) {
    Touch("active");
    Touch("refuse");
    ExpectSilentSuccess(testing::RunWickett(environment_));
    EXPECT_TRUE(Read("calls").contains("allow 4320/udp"));
    EXPECT_TRUE(Read("rules").isEmpty());
}

TEST_F(WickettUfwTest, NoFirewallAtAllIsNothingToDo) {
    QFile::remove(dir_.filePath(QStringLiteral("ufw")));
    environment_.insert(QStringLiteral("PATH"), dir_.path());
    ExpectSilentSuccess(testing::RunWickett(environment_));
}

}  // namespace
}  // namespace wickett
