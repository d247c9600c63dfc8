#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <cstdlib>

#include "files/drives.h"
#include "files/mount_watcher.h"
#include "folder_fixture.h"

namespace tamberline {
namespace {

using Names = std::vector<std::string>;

Names GvfsPlaces(const std::string& folder) {
    return folder == "/run/user/1000/gvfs"
               ? Names{"sftp:host=stage", "smb-share:server=nas,share=fx"}
               : Names{};
}

TEST(NetworkSharesTest, RemoteMountsAreSharesWhereverTheyAreMounted) {
    const std::string info =
        "22 1 259:2 / / rw - ext4 /dev/nvme0n1p2 rw\n"
        "30 22 0:50 / /srv/show\\040music rw - nfs4 nas:/music rw\n"
        "31 22 0:51 / /home/op/stage rw - fuse.sshfs op@stage: rw\n"
        "32 22 0:52 / /mnt/fx rw shared:5 - cifs //nas/fx rw\n"
        "33 22 0:53 / /mnt/scratch rw - tmpfs none rw\n"
        "34 22 0:54 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
        "35 22 0:55 / /mnt/fx rw - cifs //nas/fx rw\n"  // mounted over: listed once
        "36 22 0:56 / /mnt/usb rw - fuse.exfat /dev/sdb1 rw\n"
        "37 22 0:57 / /mnt/dav rw - fuse.rclone dav: rw\n"
        "not a mount line\n";
    EXPECT_EQ(NetworkSharesFromMountInfo(info, GvfsPlaces),
              (Names{"/srv/show music/", "/home/op/stage/", "/mnt/fx/",
                     "/run/user/1000/gvfs/sftp:host=stage/",
                     "/run/user/1000/gvfs/smb-share:server=nas,share=fx/", "/mnt/dav/"}));
    EXPECT_TRUE(
        NetworkSharesFromMountInfo("22 1 259:2 / / rw - ext4 /dev/sda1 rw\n", GvfsPlaces).empty());
}

std::string MountLine(int id, const std::string& point, const std::string& type) {
    return std::to_string(id) + " 22 0:" + std::to_string(id) + " / " + point + " rw - " + type +
           " server:/x rw\n";
}

// The watcher reads the table it is given; a change is reported once,
// share by share, when it looks again.
TEST(NetworkSharesTest, TheWatcherReportsSharesAsTheyAreMountedAndLost) {
    testing::TempDir dir;
    const std::string table = dir.Write(
        "mountinfo", "22 1 259:2 / / rw - ext4 /dev/sda1 rw\n" + MountLine(40, "/mnt/a", "nfs"));
    MountWatcher watcher(nullptr, table);
    EXPECT_EQ(watcher.Shares(), Names{"/mnt/a/"});
    Names arrived;
    Names removed;
    QObject::connect(&watcher, &MountWatcher::ShareArrived,
                     [&arrived](const std::string& share) { arrived.push_back(share); });
    QObject::connect(&watcher, &MountWatcher::ShareRemoved,
                     [&removed](const std::string& share) { removed.push_back(share); });

    dir.Write("mountinfo", "22 1 259:2 / / rw - ext4 /dev/sda1 rw\n" +
                               MountLine(41, "/srv/b", "fuse.sshfs") +
                               MountLine(42, "/srv/c", "cifs"));
    watcher.Check();
    EXPECT_EQ(arrived, (Names{"/srv/b/", "/srv/c/"}));
    EXPECT_EQ(removed, Names{"/mnt/a/"});
    EXPECT_EQ(watcher.Shares(), (Names{"/srv/b/", "/srv/c/"}));

    arrived.clear();
    removed.clear();
    watcher.Check();  // nothing changed
    EXPECT_TRUE(arrived.empty());
    EXPECT_TRUE(removed.empty());
}

// A real sshfs share (over a local sftp server, no network needed) in a
// mount namespace of this test's own, so nothing else on the machine sees
// it: the watcher hears the kernel's mark on the mount table.
constexpr char kInPrivateMounts[] = "TAMBERLINE_TEST_PRIVATE_MOUNTS";

TEST(NetworkSharesTest, ARealShareComesAndGoes) {
    const QString sshfs = QStandardPaths::findExecutable(QStringLiteral("sshfs"));
    const QString server = QStringLiteral("/usr/lib/openssh/sftp-server");
    if (::geteuid() != 0 || sshfs.isEmpty() || !QFile::exists(server) ||
        QStandardPaths::findExecutable(QStringLiteral("unshare")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty()) {
        GTEST_SKIP() << "needs root, unshare, socat, sshfs and the sftp server";
    }
    if (!std::getenv(kInPrivateMounts)) {
        if (QProcess::execute(QStringLiteral("unshare"),
                              {QStringLiteral("--mount"), QStringLiteral("true")}) != 0) {
            GTEST_SKIP() << "this sandbox does not allow a mount namespace";
        }
        // Again, alone, in a mount namespace of its own.
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        QProcess again;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kInPrivateMounts), QStringLiteral("1"));
        again.setProcessEnvironment(env);
        again.setProcessChannelMode(QProcess::ForwardedChannels);
        again.start(
            QStringLiteral("unshare"),
            {QStringLiteral("--mount"), QStringLiteral("--propagation"), QStringLiteral("private"),
             QFile::symLinkTarget(QStringLiteral("/proc/self/exe")),
             QStringLiteral("--gtest_filter=%1.%2")
                 .arg(QString::fromLatin1(test->test_suite_name()),
                      QString::fromLatin1(test->name()))});
        ASSERT_TRUE(again.waitForFinished(60000));
        EXPECT_EQ(again.exitCode(), 0);
        return;
    }
    testing::FolderFixture remote;
    remote.Folder("Cues");
    testing::FolderFixture point;
    const std::string share = point.Root();
    MountWatcher watcher;
    Names arrived;
    Names removed;
    QObject::connect(&watcher, &MountWatcher::ShareArrived,
                     [&arrived](const std::string& s) { arrived.push_back(s); });
    QObject::connect(&watcher, &MountWatcher::ShareRemoved,
                     [&removed](const std::string& s) { removed.push_back(s); });

    // sshfs in passive mode speaks SFTP on its standard streams.
    QProcess link;
    link.start(QStringLiteral("socat"), {QStringLiteral("EXEC:") + server,
                                         QStringLiteral("EXEC:%1 -f -o passive localhost\\:%2 %3")
                                             .arg(sshfs, QString::fromStdString(remote.Root()),
                                                  QString::fromStdString(share))});
    ASSERT_TRUE(link.waitForStarted(5000));
    EXPECT_TRUE(testing::PumpUntil([&] { return !arrived.empty(); }, 15000));
    EXPECT_EQ(arrived, Names{share});
    EXPECT_EQ(SubfolderNames(share), Names{"Cues"});

    QProcess::execute(QStringLiteral("fusermount3"),
                      {QStringLiteral("-u"), QString::fromStdString(share)});
    EXPECT_TRUE(testing::PumpUntil([&] { return !removed.empty(); }, 15000));
    EXPECT_EQ(removed, Names{share});
    EXPECT_TRUE(watcher.Shares().empty());
    link.waitForFinished(5000);
    if (link.state() != QProcess::NotRunning) {
        link.kill();
        link.waitForFinished();
    }
}

}  // namespace
}  // namespace tamberline
