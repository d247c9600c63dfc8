#include "app/console_run_control.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

using testing::ScriptedMessageBox;
using testing::TempDir;

// The control thread's questions reach the GUI thread as queued calls; the
// answers go back as commands.
class ConsoleRunControlTest : public ::testing::Test {
protected:
    ConsoleRunControlTest() : run_(box_, dir_.Path(), link_) {}

    void PumpUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    static ButtonRecord Assigned(const std::string& path) {
        ButtonRecord record{};
        SetPath(record, path);
        record.status = STATUS_ASSIGNED;
        record.volume = 100;
        record.pan = 100;
        record.varispeed = 100;
        return record;
    }

    TempDir dir_;
    ScriptedMessageBox box_;
    LinkState link_;
    ConsoleRunControl run_;
};

TEST_F(ConsoleRunControlTest, MissingFileQuestionIsAskedOnTheGuiThreadAndClearComesBack) {
    const std::string path = dir_.File("lost.wav");
    run_.controller().LoadRecord(3, Assigned(path));
    run_.controller().LoadRecord(8, Assigned(path));
    box_.Answer("Clear");
    run_.StartButton(3);
    PumpUntil([&] { return !box_.shown().empty(); });
    ASSERT_EQ(box_.Texts(), std::vector<std::string>{"lost.wav\nCannot find this file.\n"});
    run_.controller().Drain();
    EXPECT_TRUE(IsZeroRecord(run_.controller().runner().Record(3)));
    EXPECT_TRUE(IsZeroRecord(run_.controller().runner().Record(8)));
    EXPECT_TRUE(run_.State(3).IsIdle());
}

// A 16-bit mono WAV of one second of a constant.
std::string SmallWav() {
    const auto le32 = [](uint32_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8),
                           static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
    };
    const auto le16 = [](uint16_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8)};
    };
    std::string data;
    for (int i = 0; i < 48000; ++i) {
        data += le16(1000);
    }
    return "RIFF" + le32(36 + static_cast<uint32_t>(data.size())) + "WAVEfmt " + le32(16) +
           le16(1) + le16(1) + le32(48000) + le32(96000) + le16(2) + le16(16) + "data" +
           le32(static_cast<uint32_t>(data.size())) + data;
}

TEST_F(ConsoleRunControlTest, SonglistWarningReachesTheOperator) {
    dir_.Write("here.wav", SmallWav());
    const std::string list = dir_.Write("list.m3u", "here.wav\ngone.wav\n");
    run_.controller().LoadRecord(0, Assigned(list));
    run_.StartButton(0);
    PumpUntil([&] { return !box_.shown().empty(); });
    ASSERT_EQ(box_.Texts(),
              std::vector<std::string>{"Not all the files in the songlist\ncould be found."});
    EXPECT_EQ(box_.shown()[0].flags, mb::kOk | mb::kIconInformation);
}

TEST_F(ConsoleRunControlTest, StateOfAnIdleButtonIsIdle) {
    EXPECT_TRUE(run_.State(0).IsIdle());
    EXPECT_TRUE(run_.State(-1).IsIdle());
    EXPECT_TRUE(run_.State(336).IsIdle());
}

}  // namespace
}  // namespace tamberline
