#include "files/external_editor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <filesystem>

#include "folder_fixture.h"
#include "session/registry.h"
#include "support/scripted_file_dialog.h"
#include "support/scripted_message_box.h"

namespace tamberline {
namespace {

namespace fs = std::filesystem;

struct Start {
    std::string program;
    std::vector<std::string> arguments;
    bool operator==(const Start&) const = default;
};

class ExternalEditorTest : public ::testing::Test {
protected:
    ExternalEditorTest() : registry_(QString::fromStdString(tree_.Root() + "settings.conf")) {}

    // A /proc of our own making: one process whose executable is `exe`.
    void FakeProcess(const std::string& pid, const std::string& exe) {
        fs::create_directories(proc_ + pid);
        fs::create_symlink(exe, proc_ + pid + "/exe");
    }
    ExternalEditor Editor() {
        return ExternalEditor(registry_, files_, proc_,
                              [this](const auto& program, const auto& args) {
                                  starts_.push_back({program, args});
                                  if (onStart_) {
                                      onStart_();
                                  }
                                  return startWorks_;
                              });
    }

    testing::FolderFixture tree_;
    Registry registry_;
    testing::ScriptedFileDialog files_;
    testing::ScriptedMessageBox box_;
    std::string proc_ = tree_.Folder("proc");
    std::string editorPath_ = tree_.File("Wave Editor", "#!/bin/sh\n");
    std::vector<Start> starts_;
    std::function<void()> onStart_;
    bool startWorks_ = true;
};

TEST_F(ExternalEditorTest, WithoutAnEditorTheOperatorIsAskedForOne) {
    files_.Choose(tree_.Root(), "Wave Editor");
    ExternalEditor editor = Editor();
    EXPECT_TRUE(editor.LaunchEditor({"/show/cue.wav"}));
    ASSERT_EQ(files_.requests.size(), 1u);
    const FileDialogRequest& request = files_.requests[0];
    EXPECT_EQ(request.title, "Assign an editor.");
    EXPECT_EQ(request.okCaption, "Open");
    EXPECT_EQ(request.driveTypeMask, 8u);
    EXPECT_EQ(request.mode, FileDialogRequest::Mode::kOpen);
    EXPECT_EQ(registry_.String(settings::kEditExecutable), editorPath_);
    EXPECT_EQ(starts_, (std::vector<Start>{{editorPath_, {"/show/cue.wav"}}}));

    // Assigned now: no second question, and a cancelled choice keeps it.
    EXPECT_TRUE(editor.LaunchEditor({}));
    files_.Cancel();
    EXPECT_FALSE(editor.AssignEditor());
    EXPECT_EQ(registry_.String(settings::kEditExecutable), editorPath_);
}

TEST_F(ExternalEditorTest, NoEditorChosenFailsTheLaunch) {
    files_.Cancel();
    EXPECT_FALSE(Editor().LaunchEditor({}));
    EXPECT_TRUE(starts_.empty());
}

TEST_F(ExternalEditorTest, TheRunningEditorIsFoundByItsExecutable) {
    registry_.SetString(settings::kEditExecutable, editorPath_);
    FakeProcess("self", "/usr/bin/other");
    FakeProcess("17", "/usr/bin/other");
    FakeProcess("4242", editorPath_);
    ExternalEditor editor = Editor();
    EXPECT_TRUE(editor.FindEditorWindow());
    EXPECT_EQ(editor.editorProcess(), 4242);
}

TEST_F(ExternalEditorTest, ARealEditorProcessIsFoundThroughProc) {
    const std::string program = tree_.Root() + "editor";
    fs::copy_file("/bin/sleep", program);
    registry_.SetString(settings::kEditExecutable, program);
    ExternalEditor editor(registry_, files_);
    EXPECT_FALSE(editor.FindEditorWindow());
    QProcess running;
    running.start(QString::fromStdString(program), {QStringLiteral("30")});
    ASSERT_TRUE(running.waitForStarted());
    EXPECT_TRUE(editor.FindEditorWindow());
    EXPECT_EQ(editor.editorProcess(), running.processId());
    running.kill();
    running.waitForFinished();
}

class EditSampleTest : public ExternalEditorTest {
protected:
    void SetUp() override {
        registry_.SetString(settings::kEditExecutable, editorPath_);
        records_ = std::make_unique<RecordArray>();
        Assign(3, sample_);
        Assign(7, sample_);
        Assign(9, tree_.Root() + "other.wav");
        hooks_.isPlaylist = [](const std::string& path) { return path.ends_with(".m3u"); };
        hooks_.openSonglistEditor = [this](const std::string& path) { songlists_.push_back(path); };
        hooks_.isPlayingOrPaused = [this](int button) { return button == playing_; };
        hooks_.releaseMedia = [this](int button) { released_.push_back(button); };
    }
    void Assign(int button, const std::string& path) {
        ButtonRecord& record = (*records_)[static_cast<size_t>(button)];
        SetPath(record, path);
        record.status = 9;
    }
    void Edit(int button) {
        ExternalEditor editor = Editor();
        EditButtonSample(button, *records_, editor, box_, hooks_);
    }

    std::string sample_ = tree_.File("cue.wav");
    std::unique_ptr<RecordArray> records_;
    SampleEditHooks hooks_;
    int playing_ = -1;
    std::vector<int> released_;
    std::vector<std::string> songlists_;
};

constexpr const char* kReleaseQuestion =
    "This command will stop and reset \nall instances of this sample \nwhich are currently "
    "playing or paused.";

TEST_F(EditSampleTest, EveryButtonOfTheSampleIsReleasedBeforeTheEditorStarts) {
    Edit(3);
    EXPECT_TRUE(box_.shown().empty());
    EXPECT_EQ(released_, (std::vector<int>{3, 7}));
    EXPECT_EQ(starts_, (std::vector<Start>{{editorPath_, {sample_}}}));
}

TEST_F(EditSampleTest, APlayingInstanceIsOnlyStoppedWhenTheOperatorSaysOk) {
    playing_ = 7;
    box_.Answer("Cancel");
    Edit(3);
    EXPECT_TRUE(released_.empty());
    EXPECT_TRUE(starts_.empty());
    box_.Answer("Ok");
    Edit(3);
    EXPECT_EQ(released_, (std::vector<int>{3, 7}));
    EXPECT_EQ(box_.Texts(), (std::vector<std::string>{kReleaseQuestion, kReleaseQuestion}));
    EXPECT_EQ(box_.shown()[0].flags, mb::kOkCancel | mb::kIconQuestion | mb::kDefault2);
    EXPECT_EQ(starts_.size(), 1u);
}

TEST_F(EditSampleTest, PlaylistsMissingFilesAndFailedStarts) {
    Assign(20, tree_.Root() + "Set.m3u");
    Edit(20);
    EXPECT_EQ(songlists_, std::vector<std::string>{tree_.Root() + "Set.m3u"});
    EXPECT_TRUE(starts_.empty());

    Assign(21, tree_.Root() + "missing.wav");
    Edit(21);
    EXPECT_TRUE(released_.empty());
    EXPECT_EQ(starts_, (std::vector<Start>{{editorPath_, {}}}));

    startWorks_ = false;
    Edit(9);
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{"Editor failed to start."});
    EXPECT_EQ(box_.shown()[0].flags, mb::kOk | mb::kIconStop);
}

TEST_F(ExternalEditorTest, BlockAssignWaitsForTheEditorAndThenHandsItTheSamples) {
    registry_.SetString(settings::kEditExecutable, editorPath_);
    int waits = 0;
    // The editor's process shows up on the second look.
    ExternalEditor editor = Editor();
    HandSamplesToEditor(editor, box_, {"/a.wav", "/b.wav"}, [&](int ms) {
        EXPECT_EQ(ms, 500);
        if (++waits == 1) {
            FakeProcess("77", editorPath_);
        }
    });
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(starts_,
              (std::vector<Start>{{editorPath_, {}}, {editorPath_, {"/a.wav", "/b.wav"}}}));
    EXPECT_TRUE(box_.shown().empty());
}

TEST_F(ExternalEditorTest, BlockAssignGivesUpAfterElevenLooks) {
    registry_.SetString(settings::kEditExecutable, editorPath_);
    int waits = 0;
    ExternalEditor editor = Editor();
    HandSamplesToEditor(editor, box_, {"/a.wav"}, [&](int) { ++waits; });
    EXPECT_EQ(waits, 11);
    EXPECT_EQ(starts_.size(), 1u);
    EXPECT_TRUE(box_.shown().empty());
    startWorks_ = false;
    HandSamplesToEditor(editor, box_, {"/a.wav"}, [&](int) {});
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{"Editor failed to start."});
}

}  // namespace
}  // namespace tamberline
