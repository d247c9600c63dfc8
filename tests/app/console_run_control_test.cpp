#include "app/console_run_control.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <chrono>
#include <future>
#include <thread>

#include "net/link_state.h"
#include "session/registry.h"
#include "session/session.h"
#include "session/session_host.h"
#include "support/scripted_file_dialog.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

using testing::ScriptedFileDialog;
using testing::ScriptedMessageBox;
using testing::TempDir;

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

// Hands every changed record to run control, as the console does.
class ReloadingHost final : public NullSessionHost {
public:
    explicit ReloadingHost(ConsoleRunControl& run) : run_(run) {}
    void MarkForReload(int button) override { run_.MarkForReload(button); }

private:
    ConsoleRunControl& run_;
};

// The control thread's questions reach the GUI thread as queued calls; the
// answers go back as commands.
class ConsoleRunControlTest : public ::testing::Test {
protected:
    ConsoleRunControlTest() : run_(box_, dir_.Path(), link_) {
        run_.AttachSession(&session_, [](int) {});
    }

    // A record the session holds and run control has.
    void Assign(int button, const ButtonRecord& record) {
        session_.Record(button) = record;
        run_.MarkForReload(button);
    }

    void PumpUntil(const std::function<bool()>& done, int ms = 5000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
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
    ScriptedFileDialog dialog_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    LinkState link_;
    ConsoleRunControl run_;
    ReloadingHost host_{run_};
    Session session_{SessionServices{box_, dialog_, registry_, host_, dir_.File("Documents")}};
};

// "Clear" empties exactly the buttons that play this very file, in the
// session as one undo step, and run control gets the empty records.
TEST_F(ConsoleRunControlTest, ClearAllReferencesIsOneUndoStepOfExactlyThatFile) {
    const std::string path = dir_.File("lost.wav");
    const std::string other = dir_.Write("LOST.WAV", SmallWav());
    Assign(3, Assigned(path));
    Assign(8, Assigned(path));
    Assign(9, Assigned(other));
    box_.Answer("Clear");
    run_.StartButton(3);
    PumpUntil([&] { return !box_.shown().empty() && IsZeroRecord(session_.records()[8]); });
    ASSERT_EQ(box_.Texts(), std::vector<std::string>{"lost.wav\nCannot find this file.\n"});
    EXPECT_TRUE(IsZeroRecord(session_.records()[3]));
    EXPECT_TRUE(IsZeroRecord(session_.records()[8]));
    EXPECT_EQ(PathOf(session_.records()[9]), other);
    run_.controller().Drain();
    EXPECT_TRUE(IsZeroRecord(run_.controller().runner().Record(3)));
    EXPECT_TRUE(IsZeroRecord(run_.controller().runner().Record(8)));
    EXPECT_TRUE(IsAssigned(run_.controller().runner().Record(9)));
    EXPECT_TRUE(run_.State(3).IsIdle());

    session_.Undo();
    EXPECT_EQ(PathOf(session_.records()[3]), path);
    EXPECT_EQ(PathOf(session_.records()[8]), path);
    EXPECT_FALSE(session_.IsModified());
}

// "Find" searches on a worker thread by name and size; every button that
// played the file gets the found path, as one undo step.
TEST_F(ConsoleRunControlTest, FindRepairsEveryButtonOfTheFileAsOneUndoStep) {
    const std::string wav = SmallWav();
    const std::string lost = dir_.File("show/lost.wav");
    QDir().mkpath(QString::fromStdString(dir_.File("tree/early")));
    QDir().mkpath(QString::fromStdString(dir_.File("tree/moved/deep")));
    dir_.Write("tree/early/lost.wav", wav.substr(0, 100));  // another size
    const std::string moved = dir_.Write("tree/moved/deep/lost.wav", wav);
    const std::string other = dir_.File("elsewhere/lost.wav");
    run_.finder().SetPlaces([this] {
        SampleSearchPlaces places;
        places.roots = {dir_.File("tree")};
        return places;
    });
    for (const int button : {3, 8}) {
        ButtonRecord record = Assigned(lost);
        record.fileSize = static_cast<int32_t>(wav.size());
        Assign(button, record);
    }
    ButtonRecord second = Assigned(other);
    second.fileSize = static_cast<int32_t>(wav.size());
    Assign(9, second);
    std::vector<bool> window;
    run_.finder().SetShown([&](bool searching) { window.push_back(searching); });
    box_.Answer("Find");
    run_.StartButton(3);
    PumpUntil([&] { return box_.shown().size() == 2; });
    EXPECT_EQ(window, (std::vector<bool>{true, false})) << "the search window shows while it runs";
    ASSERT_EQ(box_.Texts(), (std::vector<std::string>{"lost.wav\nCannot find this file.\n",
                                                      moved + "\nReloaded."}));
    EXPECT_EQ(PathOf(session_.records()[3]), moved);
    EXPECT_EQ(PathOf(session_.records()[8]), moved);
    EXPECT_EQ(PathOf(session_.records()[9]), other) << "another path is another button's file";
    EXPECT_EQ(session_.records()[3].status, STATUS_ASSIGNED);
    EXPECT_FALSE(run_.finder().Searching());

    session_.Undo();
    EXPECT_EQ(PathOf(session_.records()[3]), lost);
    EXPECT_EQ(PathOf(session_.records()[8]), lost);
    EXPECT_FALSE(session_.IsModified());
}

TEST_F(ConsoleRunControlTest, FindWithoutAFileOfThatSizeChangesNothing) {
    const std::string lost = dir_.File("show/lost.wav");
    QDir().mkpath(QString::fromStdString(dir_.File("tree")));
    dir_.Write("tree/lost.wav", "not the sample");
    run_.finder().SetPlaces([this] {
        SampleSearchPlaces places;
        places.roots = {dir_.File("tree")};
        return places;
    });
    ButtonRecord record = Assigned(lost);
    record.fileSize = 96044;
    Assign(3, record);
    box_.Answer("Find");
    run_.StartButton(3);
    PumpUntil([&] { return box_.shown().size() == 2; });
    ASSERT_EQ(box_.Texts(), (std::vector<std::string>{"lost.wav\nCannot find this file.\n",
                                                      "Unable to find\n" + lost}));
    EXPECT_EQ(PathOf(session_.records()[3]), lost);
    EXPECT_EQ(session_.records()[3].status, STATUS_ASSIGNED);
    EXPECT_FALSE(session_.IsModified());
}

// Run data learnt from a copy of the record that has since been edited
// must not overwrite the edit.
TEST_F(ConsoleRunControlTest, RunDataOfAnOlderCopyDoesNotOverwriteAnEdit) {
    const std::string path = dir_.Write("a.wav", SmallWav());
    ButtonRecord record = Assigned(path);
    record.fadeIn = 30;
    record.fadeOut = 30;
    Assign(0, record);
    // The control thread examines the old copy only after the edit is made.
    std::promise<void> edited;
    std::shared_future<void> editDone = edited.get_future().share();
    run_.controller().control().Post([editDone] { editDone.wait(); });
    run_.StartButton(0);
    record.fadeIn = 2;
    Assign(0, record);
    edited.set_value();
    run_.controller().Drain();
    run_.controller().Drain();
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(session_.records()[0].fadeIn, 2);
    EXPECT_EQ(session_.records()[0].fadeOut, 30);
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
