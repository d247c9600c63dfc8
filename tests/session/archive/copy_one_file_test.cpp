#include "session/archive/copy_one_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "archive_fixture.h"
#include "session/archive/copy_control.h"

namespace tamberline {
namespace {

using testing::Bytes;
using testing::FilesUnder;
using testing::WriteBytes;

class CopyOneFileTest : public ::testing::Test {
protected:
    std::string Content(size_t size) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>((i * 131) >> 3);
        }
        return bytes;
    }
    testing::TempDir dir_;
};

TEST_F(CopyOneFileTest, CopiesBytesTimesAndPermissionsCreatingTheFolders) {
    const std::string source = dir_.File("a.wav");
    WriteBytes(source, Content(300000));
    ::chmod(source.c_str(), 0640);
    testing::SetTime(source, 1500000000);
    const std::string destination = dir_.File("deep/er/a.wav");
    CopyControl control(4096);  // many blocks
    const CopyFileResult result = CopyOneFile(source, destination, control);
    EXPECT_EQ(result.kind, CopyFileResult::Kind::kCopied);
    EXPECT_EQ(Bytes(destination), Bytes(source));
    EXPECT_EQ(testing::ModifiedSeconds(destination), 1500000000);
    struct stat st {};
    ASSERT_EQ(::stat(destination.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(FilesUnder(dir_.File("deep")), std::vector<std::string>{"er/a.wav"});
}

// A replace that is cancelled half way keeps the file it would have
// replaced, whole, and leaves no part file.
TEST_F(CopyOneFileTest, ACancelHalfWayKeepsTheFileBeingReplaced) {
    const std::string source = dir_.File("new/a.wav");
    WriteBytes(source, Content(64 * 1024));
    const std::string destination = dir_.File("show/a.wav");
    WriteBytes(destination, "the original");
    CopyControl control(4096);
    int blocks = 0;
    control.SetBlockHook([&blocks](CopyControl& c) {
        if (++blocks == 5) {
            c.Cancel();
        }
    });
    EXPECT_EQ(CopyOneFile(source, destination, control).kind, CopyFileResult::Kind::kCancelled);
    EXPECT_EQ(Bytes(destination), "the original");
    EXPECT_EQ(FilesUnder(dir_.File("show")), std::vector<std::string>{"a.wav"});
}

TEST_F(CopyOneFileTest, ASourceThatCannotBeReadIsReportedAsTheSources) {
    const struct {
        const char* name;
        int error;
    } cases[] = {{"missing.wav", ENOENT}, {"folder", EISDIR}};
    ::mkdir(dir_.File("folder").c_str(), 0755);
    for (const auto& c : cases) {
        CopyControl control;
        const CopyFileResult result =
            CopyOneFile(dir_.File(c.name), dir_.File("out/") + c.name, control);
        EXPECT_EQ(result.kind, CopyFileResult::Kind::kSourceFailed) << c.name;
        EXPECT_EQ(result.error, c.error) << c.name;
        EXPECT_EQ(result.path, dir_.File(c.name));
    }
    EXPECT_TRUE(FilesUnder(dir_.File("out")).empty());
}

TEST_F(CopyOneFileTest, ADestinationThatCannotBeWrittenIsReportedAsTheDestinations) {
    const std::string source = dir_.File("a.wav");
    WriteBytes(source, "abc");
    WriteBytes(dir_.File("file"), "x");
    CopyControl control;
    const CopyFileResult result = CopyOneFile(source, dir_.File("file/a.wav"), control);
    EXPECT_EQ(result.kind, CopyFileResult::Kind::kWriteFailed);
    EXPECT_EQ(result.path, dir_.File("file/a.wav"));
    EXPECT_EQ(result.error, ENOTDIR);
}

}  // namespace
}  // namespace tamberline
