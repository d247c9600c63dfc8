#include "session/lost_samples.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tamberline {
namespace {

using testing::TempDir;

ButtonRecord Assigned(const std::string& path, int32_t fileSize) {
    ButtonRecord record{};
    SetPath(record, path);
    SetCaption(record, "kept");
    record.status = STATUS_ASSIGNED;
    record.volume = 77;
    record.fileSize = fileSize;
    return record;
}

TEST(CheckSamplesTest, MarksMissingAndResizedFilesAndStoresCurrentSizes) {
    const TempDir dir;
    const std::string five = dir.Write("five.wav", "12345");
    struct Case {
        const char* what;
        std::string path;
        int32_t stored;
        uint8_t status;
        int32_t sizeAfter;
    };
    const std::vector<Case> cases = {
        {"same size", five, 5, STATUS_ASSIGNED, 5},
        {"size changed", five, 9, STATUS_EDITED, 5},
        {"size never stored", five, 0, STATUS_ASSIGNED, 5},
        {"missing", dir.File("gone.wav"), 5, STATUS_LOST, 5},
        {"written on Windows", "D:\\Show\\intro.wav", 5, STATUS_LOST, 5},
        {"a folder is no sample", dir.Path(), 5, STATUS_LOST, 5},
        {"no path", "", 5, STATUS_LOST, 5},
    };
    RecordArray records{};
    for (size_t i = 0; i < cases.size(); ++i) {
        records[i * 7] = Assigned(cases[i].path, cases[i].stored);
    }
    records[300].status = STATUS_EMPTY;
    SetPath(records[300], dir.File("gone.wav"));

    const SampleCheckResult result = CheckSamples(records);

    std::vector<int> lost;
    std::vector<int> edited;
    for (size_t i = 0; i < cases.size(); ++i) {
        const ButtonRecord& record = records[i * 7];
        EXPECT_EQ(record.status, cases[i].status) << cases[i].what;
        EXPECT_EQ(record.fileSize, cases[i].sizeAfter) << cases[i].what;
        if (cases[i].status == STATUS_LOST) {
            lost.push_back(static_cast<int>(i * 7));
        } else if (cases[i].status == STATUS_EDITED) {
            edited.push_back(static_cast<int>(i * 7));
        }
    }
    EXPECT_EQ(result.lost, lost);
    EXPECT_EQ(result.edited, edited);
    EXPECT_EQ(records[300].status, STATUS_EMPTY) << "an empty button is never checked";
}

TEST(CheckSamplesTest, NothingMarkedWhenEveryFileIsThere) {
    const TempDir dir;
    RecordArray records{};
    records[0] = Assigned(dir.Write("a.wav", "abc"), 3);
    EXPECT_TRUE(CheckSamples(records).Empty());
}

TEST(EndSampleCheckTest, ClearingEmptiesExactlyTheLostButtons) {
    for (const bool clear : {false, true}) {
        RecordArray records{};
        records[3] = Assigned("/lost.wav", 5);
        records[3].status = STATUS_LOST;
        records[8] = Assigned("/edited.wav", 5);
        records[8].status = STATUS_EDITED;
        records[9] = Assigned("/fine.wav", 5);
        const RecordArray before = records;

        const std::vector<int> cleared = EndSampleCheck(records, clear);

        EXPECT_EQ(cleared, clear ? std::vector<int>{3} : std::vector<int>{}) << clear;
        if (clear) {
            EXPECT_EQ(records[3].status, STATUS_EMPTY);
            EXPECT_EQ(PathOf(records[3]), "");
            EXPECT_EQ(records[3].volume, 0);
        } else {
            EXPECT_EQ(records[3].status, STATUS_ASSIGNED);
            EXPECT_EQ(PathOf(records[3]), "/lost.wav");
        }
        EXPECT_EQ(records[8].status, STATUS_ASSIGNED) << "edited samples are only reported";
        EXPECT_EQ(CaptionOf(records[8]), "kept");
        EXPECT_EQ(records[9].status, STATUS_ASSIGNED);
        for (size_t b = 0; b < records.size(); ++b) {
            EXPECT_EQ(records[b].status == STATUS_LOST || records[b].status == STATUS_EDITED, false)
                << "no mark survives, button " << b;
        }
        EXPECT_EQ(before[9].fileSize, records[9].fileSize);
    }
}

TEST(SampleFileNameTest, EitherSeparator) {
    EXPECT_EQ(SampleFileName("D:\\Show\\intro.wav"), "intro.wav");
    EXPECT_EQ(SampleFileName("/home/show/intro.wav"), "intro.wav");
    EXPECT_EQ(SampleFileName("intro.wav"), "intro.wav");
    EXPECT_EQ(SampleFileName("/home/show/"), "");
}

TEST(SampleCheckLinesTest, LostThenEditedWithButtonNumbers) {
    RecordArray records{};
    records[0] = Assigned("/a.wav", 1);
    records[335] = Assigned("D:\\Show\\b.wav", 1);
    records[41] = Assigned("/c.wav", 1);
    SampleCheckResult result;
    result.lost = {0, 335};
    result.edited = {41};
    const std::vector<std::string> expected = {
        "These samples were not found:",
        "",
        "1. /a.wav",
        "336. D:\\Show\\b.wav",
        "",
        "",
        "These samples have been edited since they were last used:",
        "",
        "42. /c.wav",
    };
    EXPECT_EQ(SampleCheckLines(records, result), expected);
}

}  // namespace
}  // namespace tamberline
