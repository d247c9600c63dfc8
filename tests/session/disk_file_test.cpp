#include "session/disk_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <csignal>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace tamberline {
namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class DiskFileTest : public ::testing::Test {
  protected:
    // Names in the folder, so a test sees any temporary file left behind.
    QStringList Names() const {
        return QDir(QString::fromStdString(dir_.Path()))
            .entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
    testing::TempDir dir_;
};

TEST_F(DiskFileTest, ReplacesContentKeepsPermissionsAndLeavesNoTemporaryFile) {
    const std::string path = dir_.Write("Gala.dbf", "old");
    ::chmod(path.c_str(), 0640);
    ASSERT_EQ(ReplaceFileAtomically(path, Bytes("new content")), 0);
    EXPECT_EQ(Contents(path), "new content");
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(Names(), QStringList{"Gala.dbf"});
}

TEST_F(DiskFileTest, ReadOnlyFileIsRefusedUnlessAskedAndStaysReadOnly) {
    const std::string path = dir_.Write("Gala.dbf", "old");
    ::chmod(path.c_str(), 0444);
    EXPECT_TRUE(IsReadOnlyFile(path));
    EXPECT_EQ(ReplaceFileAtomically(path, Bytes("new")), EACCES);
    EXPECT_EQ(Contents(path), "old");
    ASSERT_EQ(ReplaceFileAtomically(path, Bytes("new"), /*evenIfReadOnly=*/true), 0);
    EXPECT_EQ(Contents(path), "new");
    EXPECT_EQ(ModeOf(path), 0444u);
}

TEST_F(DiskFileTest, ASymbolicLinkStaysAndItsTargetIsReplaced) {
    const std::string target = dir_.Write("real.dbf", "old");
    const std::string link = dir_.File("link.dbf");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_EQ(ReplaceFileAtomically(link, Bytes("new")), 0);
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Contents(target), "new");
}

TEST_F(DiskFileTest, FailureReportsTheErrorAndChangesNothing) {
    EXPECT_EQ(ReplaceFileAtomically(dir_.File("no/such/folder/Gala.dbf"), Bytes("x")), ENOENT);
    ASSERT_EQ(::mkdir(dir_.File("Gala.dbf").c_str(), 0755), 0);
    EXPECT_EQ(ReplaceFileAtomically(dir_.File("Gala.dbf"), Bytes("x")), EISDIR);
    EXPECT_EQ(Names(), QStringList{});
}

// Writes past the limit fail as on a full disk (EFBIG instead of ENOSPC).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST_F(DiskFileTest, WriteThatRunsOutOfSpaceLeavesTheOldFileWhole) {
    const std::string old(150'000, 'o');
    const std::string path = dir_.Write("Gala.dbf", old);
    int error = 0;
    {
        FileSizeLimit limit(160'000);
        error = ReplaceFileAtomically(path, Bytes(std::string(198'912, 'n')));
    }
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(Contents(path), old);
    EXPECT_EQ(Names(), QStringList{"Gala.dbf"});
}

TEST_F(DiskFileTest, AReplacedFileIsANewVersionEvenWithinOneClockTick) {
    const std::string path = dir_.Write("Gala.dbf", "a");
    const std::optional<FileStamp> before = ReadFileStamp(path);
    ASSERT_EQ(ReplaceFileAtomically(path, Bytes("b")), 0);
    const std::optional<FileStamp> after = ReadFileStamp(path);
    ASSERT_TRUE(before && after);
    EXPECT_NE(*before, *after);
    EXPECT_FALSE(ReadFileStamp(dir_.File("gone.dbf")));
}

TEST_F(DiskFileTest, ReadingRefusesFilesAboveTheLimit) {
    const std::string path = dir_.Write("big", std::string(11, 'x'));
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReadWholeFile(path, 10, bytes), EFBIG);
    EXPECT_EQ(ReadWholeFile(path, 11, bytes), 0);
    EXPECT_EQ(bytes.size(), 11u);
}

TEST(SystemErrorReportTest, PathBlankLineThenTheSystemsText) {
    EXPECT_EQ(SystemErrorReport("/x/Gala.dbf", ENOENT), "/x/Gala.dbf\n\nNo such file or directory");
}

}  // namespace
}  // namespace tamberline
