#include "session/archive/dropped_files.h"

#include <gtest/gtest.h>

#include "archive_fixture.h"

namespace tamberline {
namespace {

using namespace testing;
using Names = std::vector<std::string>;

TEST(DroppedFilesTextTest, SizesAndDates) {
    const struct {
        int64_t bytes;
        const char* text;
    } cases[] = {{3LL << 30, "    3.00 Gb"}, {1536, "    1.50 kb"},         {1000, ""}, {1024, ""},
                 {5 << 20, "    5.00 Mb"},   {(1 << 20) + 1, "    1.00 Mb"}};
    for (const auto& c : cases) {
        EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
    }
    std::tm noon{};
    noon.tm_year = 2024 - 1900;
    noon.tm_mon = 2;
    noon.tm_mday = 7;
    noon.tm_hour = 12;
    noon.tm_min = 5;
    noon.tm_sec = 9;
    noon.tm_isdst = -1;
    EXPECT_EQ(DateText(std::mktime(&noon)), " modified: 07 March 2024, 12:05:09");
}

class DroppedFilesTest : public ::testing::Test {
protected:
    DroppedFilesTest() {
        desktop_ = dir_.File("Desktop/");
        folder_ = dir_.File("Show/");
        WriteBytes(desktop_ + "a.wav", std::string(2048, 'a'));
        WriteBytes(desktop_ + "b.wav", "new b");
        WriteBytes(desktop_ + "c.wav", "new c");
        WriteBytes(folder_ + "b.wav", "old b");  // the same size: re-edited
        WriteBytes(folder_ + "c.wav", "old c, longer");
        SetTime(desktop_ + "b.wav", 1700000000);
        SetTime(folder_ + "b.wav", 1600000000);
        std::filesystem::create_directories(desktop_ + "Sub");
    }
    Names Dropped() const {
        return {desktop_ + "a.wav", desktop_ + "Sub", desktop_ + "b.wav", desktop_ + "c.wav"};
    }
    void Copy(const Names& files) {
        DroppedFilesCopier copier(box_, runner_);
        copier.CopyInto(files, folder_, [this] { ++folderChanges_; });
    }

    TempDir dir_;
    std::string desktop_, folder_;
    ScriptedMessageBox box_;
    WaitingCopyRunner runner_;
    int folderChanges_ = 0;
};

TEST_F(DroppedFilesTest, AnyFileByThatNameIsReplacedOnlyOnYes) {
    box_.Answer("No");
    box_.Answer("Yes");
    Copy(Dropped());
    ASSERT_EQ(box_.shown().size(), 2u);
    EXPECT_EQ(box_.shown()[0].text,
              "b.wav\nAlready exists in this folder.\n\n"
              "Replace the existing file\n" +
                  DateText(1600000000) + "\n\nWith this one?\n" + DateText(1700000000) + "\n\n");
    EXPECT_EQ(box_.shown()[0].flags, mb::kYesYesToAllNoCancel | mb::kIconQuestion);
    EXPECT_EQ(runner_.lastCaption(), "Copy 2 files.");
    EXPECT_EQ(Bytes(folder_ + "a.wav"), std::string(2048, 'a'));
    EXPECT_EQ(Bytes(folder_ + "b.wav"), "old b");
    EXPECT_EQ(Bytes(folder_ + "c.wav"), "new c");
    EXPECT_EQ(folderChanges_, 2);
    EXPECT_EQ(FilesUnder(folder_), (Names{"a.wav", "b.wav", "c.wav"}));
}

TEST_F(DroppedFilesTest, YesToAllAsksNoMoreAndCancelCopiesNothing) {
    box_.Answer("Yes to All");
    Copy(Dropped());
    EXPECT_EQ(box_.shown().size(), 1u);
    EXPECT_EQ(Bytes(folder_ + "b.wav"), "new b");
    EXPECT_EQ(Bytes(folder_ + "c.wav"), "new c");

    WriteBytes(desktop_ + "d.wav", "d");
    WriteBytes(folder_ + "b.wav", "older");
    box_.Answer("Cancel");
    Copy({desktop_ + "d.wav", desktop_ + "b.wav"});
    EXPECT_FALSE(FileExists(folder_ + "d.wav"));
    EXPECT_EQ(Bytes(folder_ + "b.wav"), "older");
}

TEST_F(DroppedFilesTest, TheSameFileIsNotAskedAboutNorCopied) {
    Copy({desktop_ + "a.wav"});
    const int64_t copied = ModifiedSeconds(folder_ + "a.wav");
    const uint64_t before = std::filesystem::hard_link_count(folder_ + "a.wav");
    Copy({desktop_ + "a.wav", folder_ + "a.wav"});  // also dropped onto its own folder
    EXPECT_TRUE(box_.shown().empty());
    EXPECT_EQ(ModifiedSeconds(folder_ + "a.wav"), copied);
    EXPECT_EQ(std::filesystem::hard_link_count(folder_ + "a.wav"), before);
    EXPECT_EQ(folderChanges_, 1);
}

}  // namespace
}  // namespace tamberline
