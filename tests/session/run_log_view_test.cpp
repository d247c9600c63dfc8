#include "session/run_log_view.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"

namespace tamberline::testing {
namespace {

using Cells = std::vector<std::string>;

TEST(RunLogLinesTest, EntriesAfterTheHeadingInFiveCellsAtMost) {
    TempDir dir;
    const std::string path =
        dir.Write("log.txt",
                  "Session\tFilename\tCaption\tStart\tRuntime\t\r\n"
                  "04.03.2026 08:00:01  Act One\tbang.wav\tBang\t09:05:07\t1:01\t\r\n"
                  "\tcrash.wav\tCrash\t09:05:08\t0:01\t\r\n"
                  "\told.wav\tA\tcaption\twith tabs\t10:00:00\t0:02\t\r\n"
                  "\tbad\xff\xfe.wav\tX\t10:00:01\t0:01");
    RunLogLines lines;
    ASSERT_TRUE(lines.Load(path));
    ASSERT_EQ(lines.Count(), 4u);
    EXPECT_EQ(lines.Cells(0),
              (Cells{"04.03.2026 08:00:01  Act One", "bang.wav", "Bang", "09:05:07", "1:01"}));
    EXPECT_EQ(lines.Cells(1), (Cells{"", "crash.wav", "Crash", "09:05:08", "0:01"}));
    EXPECT_EQ(lines.Cells(2), (Cells{"", "old.wav", "A", "caption", "with tabs"}));
    EXPECT_EQ(lines.Cells(3), (Cells{"", "bad\xff\xfe.wav", "X", "10:00:01", "0:01"}));
    EXPECT_TRUE(lines.Cells(4).empty());
}

TEST(RunLogLinesTest, MissingOrHeadingOnly) {
    TempDir dir;
    RunLogLines lines;
    EXPECT_FALSE(lines.Load(dir.File("none.txt")));
    EXPECT_EQ(lines.Count(), 0u);
    ASSERT_TRUE(lines.Load(dir.Write("h.txt", "Session\tFilename\tCaption\tStart\tRuntime\t\r\n")));
    EXPECT_EQ(lines.Count(), 0u);
}

TEST(RunLogLinesTest, HundredMegabyteLogOpens) {
    TempDir dir;
    const std::string path = dir.File("big.txt");
    {
        std::ofstream out(path, std::ios::binary);
        out << "Session\tFilename\tCaption\tStart\tRuntime\t\r\n";
        const std::string line =
            "\tsome rather long file name.wav\tA caption\t09:05:07\t0:01\t\r\n";
        for (size_t written = 0; written < 100u << 20; written += line.size()) {
            out << line;
        }
    }
    RunLogLines lines;
    ASSERT_TRUE(lines.Load(path));
    EXPECT_GT(lines.Count(), 1'500'000u);
    EXPECT_EQ(lines.Cells(lines.Count() - 1)[1], "some rather long file name.wav");
}

}  // namespace
}  // namespace tamberline::testing
