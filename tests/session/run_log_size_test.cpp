#include "session/run_log_size.h"

#include <gtest/gtest.h>

#include <QFile>
#include <fstream>

#include "support/scripted_file_dialog.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline::testing {
namespace {

constexpr LocalDateTime kToday{2026, 3, 4, 22, 15, 0};

class RunLogSizeTest : public ::testing::Test {
protected:
    // The heading and `entries` lines.
    void WriteLog(int64_t entries) {
        std::ofstream out(log_.Path(), std::ios::binary);
        out << "Session\tFilename\tCaption\tStart\tRuntime\t\r\n";
        for (int64_t k = 0; k < entries; ++k) {
            out << "\tbang.wav\tBang\t09:05:07\t0:01\t\r\n";
        }
    }
    bool Check() { return CheckRunLogSize(log_, box_, dialog_, kToday); }
    bool LogExists() const { return QFile::exists(QString::fromStdString(log_.Path())); }

    TempDir dir_;
    RunLog log_{dir_.Path()};
    ScriptedMessageBox box_;
    ScriptedFileDialog dialog_;
};

TEST_F(RunLogSizeTest, FullOnlyFromTheForty001stLine) {
    EXPECT_TRUE(Check()) << "no log";
    WriteLog(39'999);
    EXPECT_TRUE(Check());
    EXPECT_TRUE(box_.shown().empty());
    WriteLog(40'000);
    box_.Answer("Cancel");
    EXPECT_FALSE(Check());
    ASSERT_EQ(box_.Texts(), std::vector<std::string>{"Log file is now full.\n"});
    EXPECT_EQ(box_.shown()[0].flags, mb::kSaveDeleteLogCancel | mb::kIconStop);
    EXPECT_TRUE(LogExists());
}

TEST_F(RunLogSizeTest, SaveLogRenamesItSoTheNextRunStartsANewOne) {
    WriteLog(40'000);
    const std::string before = dir_.Read(kRunLogName);
    box_.Answer("Save log");
    dialog_.Choose(dir_.Path() + "/", "Old shows.txt");
    EXPECT_TRUE(Check());
    ASSERT_EQ(dialog_.requests.size(), 1u);
    const FileDialogRequest& asked = dialog_.requests[0];
    EXPECT_EQ(asked.title, "Save log file as.");
    EXPECT_EQ(asked.okCaption, "Save");
    EXPECT_EQ(asked.pattern, "*.txt");
    EXPECT_EQ(asked.mode, FileDialogRequest::Mode::kSave);
    EXPECT_EQ(asked.initialPath, dir_.Path() + "/04_03_2026 Tamberline_Logfile.txt");
    EXPECT_FALSE(LogExists());
    EXPECT_EQ(dir_.Read("Old shows.txt"), before);
}

TEST_F(RunLogSizeTest, SavingUnderItsOwnNameOrCancellingKeepsTheProgramRunning) {
    WriteLog(40'000);
    box_.Answer("Save log");
    dialog_.Choose(dir_.Path() + "/", kRunLogName);
    EXPECT_FALSE(Check());
    box_.Answer("Save log");
    dialog_.Cancel();
    EXPECT_FALSE(Check());
    EXPECT_TRUE(LogExists());
}

TEST_F(RunLogSizeTest, DeleteLogAsksFirst) {
    WriteLog(45'000);
    box_.Answer("Delete log");
    box_.Answer("No");
    EXPECT_FALSE(Check());
    EXPECT_TRUE(LogExists());
    box_.Answer("Delete log");
    box_.Answer("Yes");
    EXPECT_TRUE(Check());
    EXPECT_FALSE(LogExists());
    EXPECT_EQ(box_.Texts().back(), "Are you sure you want to delete the Log file ?\n");
    EXPECT_EQ(box_.shown().back().flags, mb::kYesNoCancel | mb::kIconQuestion);
    EXPECT_TRUE(log_.SessionHeaderPending()) << "the next entry starts a new log";
}

TEST_F(RunLogSizeTest, TheExitStepOfItsPart) {
    WriteLog(40'000);
    RunLogPart part(log_, box_, dialog_);
    EXPECT_TRUE(part.Exit(ExitStep::kStopAll));
    EXPECT_TRUE(box_.shown().empty());
    box_.Answer("Cancel");
    EXPECT_FALSE(part.Exit(ExitStep::kRunLogCheck));
}

TEST(CountLinesTest, LastLineWithoutItsEndAndTheLimit) {
    TempDir dir;
    EXPECT_EQ(CountLines(dir.File("missing.txt"), 10), 0);
    EXPECT_EQ(CountLines(dir.Write("empty.txt", ""), 10), 0);
    EXPECT_EQ(CountLines(dir.Write("a.txt", "a\r\nb"), 10), 2);
    EXPECT_EQ(CountLines(dir.Write("b.txt", "a\r\nb\r\n"), 10), 2);
    EXPECT_EQ(CountLines(dir.Write("c.txt", std::string(100, '\n')), 10), 10);
}

}  // namespace
}  // namespace tamberline::testing
