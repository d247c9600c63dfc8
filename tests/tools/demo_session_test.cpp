// The demo show goes where the program keeps its documents (the run log's
// folder), whether or not the user's folders are configured, and only once.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "session/session_paths.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

class DemoSessionTest : public ::testing::Test {
protected:
    DemoSessionTest() {
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("HOME"), Home());
        environment_.insert(QStringLiteral("XDG_CONFIG_HOME"), Home() + QStringLiteral("/.config"));
    }

    QString Home() const { return QString::fromStdString(dir_.Path()); }

    // The tool's output, empty when it failed.
    QString RunTool() {
        QProcess tool;
        tool.setProcessEnvironment(environment_);
        tool.start(QStringLiteral(DEMO_SESSION_EXECUTABLE), {});
        EXPECT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

    testing::TempDir dir_;
    QProcessEnvironment environment_;
};

TEST_F(DemoSessionTest, WithoutConfiguredUserFoldersGoesToDocumentsInHome) {
    const QString expected = Home() + QStringLiteral("/Documents/Tamberline Demo/Demo.dbf");
    EXPECT_EQ(RunTool(), expected);
    EXPECT_TRUE(QFile::exists(expected));
    EXPECT_TRUE(QFile::exists(Home() + QStringLiteral("/Documents/Tamberline Demo/Bell.wav")));
    EXPECT_FALSE(QFile::exists(Home() + QStringLiteral("/Tamberline Demo")));

    // Later starts keep the show the user may have changed.
    EXPECT_EQ(RunTool(), QString());
}

TEST_F(DemoSessionTest, ConfiguredDocumentsFolderIsUsed) {
    QDir().mkpath(Home() + QStringLiteral("/.config"));
    QFile dirs(Home() + QStringLiteral("/.config/user-dirs.dirs"));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    dirs.close();
    QDir().mkpath(Home() + QStringLiteral("/Papers"));
    EXPECT_EQ(RunTool(), Home() + QStringLiteral("/Papers/Tamberline Demo/Demo.dbf"));
}

}  // namespace
}  // namespace tamberline
