#include "session/run_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace tamberline {
namespace {

struct RuntimeCase {
    uint32_t ms;
    const char* shown;
};

class RunLogRuntimeTest : public ::testing::TestWithParam<RuntimeCase> {};

TEST_P(RunLogRuntimeTest, RoundsAndFormats) {
    EXPECT_EQ(RunLogRuntime(GetParam().ms), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Table, RunLogRuntimeTest,
                         ::testing::Values(RuntimeCase{200, "0:01"}, RuntimeCase{1000, "0:01"},
                                           RuntimeCase{61'200, "1:01"},
                                           RuntimeCase{3'599'000, "59:59"},
                                           RuntimeCase{3'600'000, "1:00:00"},
                                           RuntimeCase{3'600'400, "1:00:01"},
                                           RuntimeCase{UINT32_MAX, "1193:02:48"}));

class RunLogFile : public ::testing::Test {
protected:
    std::string Read() const {
        std::ifstream in(log_.Path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    RunLogEntry Entry(uint32_t ms, const std::string& path) const {
        RunLogEntry entry;
        entry.start = {2026, 3, 4, 9, 5, 7};
        entry.runMs = ms;
        entry.fileName = path;
        return entry;
    }

    testing::TempDir dir_;
    RunLog log_{dir_.Path() + "/Documents"};
};

TEST_F(RunLogFile, HeadingSessionHeadingOnceThenPlainLines) {
    log_.NoteSessionLoaded("/shows/Act One.dbf", {2026, 3, 4, 8, 0, 1});
    RunLogEntry first = Entry(61'200, "/media/bang.wav");
    log_.AppendRunLogLine(first, "Bang");
    RunLogEntry second = Entry(200, "C:\\old\\crash.wav");
    log_.AppendRunLogLine(second, "Crash");

    EXPECT_EQ(Read(),
              "Session\tFilename\tCaption\tStart\tRuntime\t\r\n"
              "04.03.2026 08:00:01  Act One\tbang.wav\tBang\t09:05:07\t1:01\t\r\n"
              "\tcrash.wav\tCrash\t09:05:07\t0:01\t\r\n");
    EXPECT_EQ(first.runMs, 0u);
    EXPECT_TRUE(first.fileName.empty());
}

TEST_F(RunLogFile, LineBreaksAndTabsInCaptionsKeepOneEntryOnOneLine) {
    RunLogEntry entry = Entry(1500, "/media/odd\tname.wav");
    log_.AppendRunLogLine(entry, "Two\r\nlines\tand a tab");
    EXPECT_EQ(Read(),
              "Session\tFilename\tCaption\tStart\tRuntime\t\r\n"
              "\todd name.wav\tTwo lines and a tab\t09:05:07\t0:01\t\r\n");
}

TEST_F(RunLogFile, NothingPlayedWritesNothing) {
    RunLogEntry entry = Entry(0, "/a.wav");
    log_.AppendRunLogLine(entry, "A");
    EXPECT_FALSE(std::ifstream(log_.Path()).good());
}

TEST_F(RunLogFile, DeletedLogStartsWithHeadingAndSessionAgain) {
    log_.NoteSessionLoaded("/s/Show.dbf", {2026, 1, 2, 3, 4, 5});
    RunLogEntry entry = Entry(1500, "/a.wav");
    log_.AppendRunLogLine(entry, "A");
    std::remove(log_.Path().c_str());
    log_.NoteLogDeleted();
    EXPECT_TRUE(log_.SessionHeaderPending());
    entry = Entry(1500, "/b.wav");
    log_.AppendRunLogLine(entry, "B");
    EXPECT_EQ(Read(),
              "Session\tFilename\tCaption\tStart\tRuntime\t\r\n"
              "02.01.2026 03:04:05  Show\tb.wav\tB\t09:05:07\t0:01\t\r\n");
}

TEST_F(RunLogFile, UnwritableLogIsSwallowedAndEntryCleared) {
    RunLog log("/proc/no-such-folder");
    RunLogEntry entry = Entry(5000, "/a.wav");
    log.AppendRunLogLine(entry, "A");
    EXPECT_EQ(entry.runMs, 0u);
}

}  // namespace
}  // namespace tamberline
