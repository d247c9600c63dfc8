#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "app/console_fixture.h"
#include "session/session_file.h"

namespace tamberline::testing {
namespace {

using Answer = ConsoleSessionHost::LostSampleAnswer;

class SampleCheckTest : public ConsoleTest {
protected:
    // A session whose button 5 lost its file, 6 holds a file edited since
    // (stored size 9, now 4) and 7 one whose size was never stored.
    std::string WriteShow(const std::string& name) {
        auto records = std::make_unique<RecordArray>();
        (*records)[5] = Assigned(dir_.File("gone.wav"), "lost");
        (*records)[5].fileSize = 4;
        (*records)[6] = Assigned(Sample("edited.wav"), "edited");
        (*records)[6].fileSize = 9;
        (*records)[7] = Assigned(Sample("fine.wav"), "fine");
        const std::string path = dir_.File(name);
        EXPECT_EQ(WriteSessionFile(path, *records), 0);
        return path;
    }
};

TEST_F(SampleCheckTest, EveryLoadShowsTheListWithTheMarksThenEndsThem) {
    // Clearing last: it changes the session, so a next open asks to save.
    int round = 0;
    for (const Answer answer : {Answer::kIgnore, Answer::kFind, Answer::kClearLostSamples}) {
        const std::string show = WriteShow("Show" + std::to_string(++round) + ".dbf");
        int shown = 0;
        model_.SetLostSampleList([&](const RecordArray& records, const SampleCheckResult& result) {
            ++shown;
            EXPECT_EQ(result.lost, std::vector<int>{5});
            EXPECT_EQ(result.edited, std::vector<int>{6});
            EXPECT_EQ(records[5].status, STATUS_LOST);
            EXPECT_EQ(records[6].status, STATUS_EDITED);
            return answer;
        });
        gestures().DropFiles({show}, 0);
        ASSERT_EQ(model_.session().sessionPath(), show);
        EXPECT_EQ(shown, 1);
        const bool cleared = answer == Answer::kClearLostSamples;
        EXPECT_EQ(At(5).status, cleared ? STATUS_EMPTY : STATUS_ASSIGNED);
        EXPECT_EQ(CaptionOf(At(5)), cleared ? "" : "lost");
        EXPECT_EQ(At(6).status, STATUS_ASSIGNED) << "edited samples keep their setup";
        EXPECT_EQ(At(6).fileSize, 4) << "the size seen now is stored";
        EXPECT_EQ(At(7).fileSize, 4);
    }
}

struct FindCase {
    const char* what;
    bool finished;
    bool found;
    std::vector<std::string> messages;
};

class SampleCheckFindTest : public SampleCheckTest,
                            public ::testing::WithParamInterface<FindCase> {};

TEST_P(SampleCheckFindTest, FindCopiesBackWhatTheSearchFoundAsOneUndoStep) {
    const FindCase& c = GetParam();
    const std::string moved = Sample("moved.wav");
    const std::string show = WriteShow("Show.dbf");
    model_.SetLostSampleList(
        [](const RecordArray&, const SampleCheckResult&) { return Answer::kFind; });
    int searches = 0;
    model_.SetLostSampleSearch([&](RecordArray& records) {
        ++searches;
        EXPECT_EQ(records[5].status, STATUS_LOST) << "the search sees the marks";
        if (c.found) {
            SetPath(records[5], moved);
            records[5].status = STATUS_ASSIGNED;
        }
        return c.finished;
    });
    gestures().DropFiles({show}, 0);
    ASSERT_EQ(model_.session().sessionPath(), show);
    EXPECT_EQ(searches, 1);
    EXPECT_EQ(box_.Texts(), c.messages);
    const bool repaired = c.finished && c.found;
    EXPECT_EQ(PathOf(At(5)), repaired ? moved : dir_.File("gone.wav"));
    EXPECT_EQ(At(5).status, STATUS_ASSIGNED) << "never left lost";
    EXPECT_EQ(At(6).status, STATUS_ASSIGNED);
    if (repaired) {
        model_.session().Undo();
        EXPECT_EQ(PathOf(At(5)), dir_.File("gone.wav"));
        EXPECT_EQ(CaptionOf(At(5)), "lost");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SampleCheckFindTest,
    ::testing::Values(FindCase{"found", true, true, {"1 of 1 samples reloaded."}},
                      FindCase{"nothing found", true, false, {"Unable to find lost samples."}},
                      FindCase{"cancelled", false, true, {}}),
    [](const auto& info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST_F(SampleCheckTest, NoListWhenEverySampleIsThere) {
    auto records = std::make_unique<RecordArray>();
    (*records)[0] = Assigned(Sample("a.wav"), "a");
    const std::string show = dir_.File("Fine.dbf");
    ASSERT_EQ(WriteSessionFile(show, *records), 0);
    int shown = 0;
    model_.SetLostSampleList([&](const RecordArray&, const SampleCheckResult&) {
        ++shown;
        return Answer::kIgnore;
    });
    gestures().DropFiles({show}, 0);
    ASSERT_EQ(model_.session().sessionPath(), show);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(At(0).fileSize, 4);
}

}  // namespace
}  // namespace tamberline::testing
