#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <atomic>
#include <filesystem>

#include "../../files/folder_fixture.h"
#include "../cd_test_util.h"
#include "base/message_box.h"
#include "cd/burn_list.h"
#include "cd/cd_disc.h"
#include "cd/image_recorder.h"
#include "cd/ui/cd_burner_dialog.h"
#include "cd/ui/cd_ripper_dialog.h"
#include "cd/wav_check.h"
#include "files/ui/folder_tree.h"
#include "session/archive/copy_runner.h"
#include "session/archive/dropped_files.h"
#include "session/disk_file.h"
#include "session/registry.h"
#include "support/scripted_file_dialog.h"
#include "support/scripted_message_box.h"

namespace tamberline {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using testing::MakeWav;
using testing::NoiseAudio;
using testing::PumpUntil;

constexpr const char* kInvalidFormat =
    "One or more files selected\nwas an invalid format.\nCD audio is 16bit, 44100Hz, 2 Track.";

Lines TextsOf(QListWidget& list) {
    Lines lines;
    for (int row = 0; row < list.count(); ++row) {
        lines.push_back(list.item(row)->text().toStdString());
    }
    return lines;
}

std::set<int> SelectedRows(QListWidget& list) {
    std::set<int> rows;
    for (int row = 0; row < list.count(); ++row) {
        if (list.item(row)->isSelected()) {
            rows.insert(row);
        }
    }
    return rows;
}

void Select(QListWidget& list, const std::set<int>& rows) {
    list.clearSelection();
    for (int row : rows) {
        list.item(row)->setSelected(true);
    }
}

void SelectNames(QListWidget& list, const Lines& names) {
    list.clearSelection();
    for (const std::string& name : names) {
        const auto found = list.findItems(QString::fromStdString(name), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name;
        found[0]->setSelected(true);
    }
}

void PressF1(QWidget& widget) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &press);
}

// A recorder that fails the way a drive does.
class FailingRecorder final : public Recorder {
public:
    explicit FailingRecorder(std::string result) : result_(std::move(result)) {}
    std::string Name() const override { return "/dev/sr9\\CD Drive"; }
    std::string Burn(const std::vector<BurnTrack>&, BurnEvents& events,
                     const std::atomic<bool>&) override {
        events.Preparing();
        return result_;
    }

private:
    std::string result_;
};

class CdDialogTest : public ::testing::Test {
protected:
    CdDialogServices Services() {
        return CdDialogServices{
            box_,
            registry_,
            monitors_,
            files_,
            copier_,
            {{"/", DriveType::kFixed}},
            [this](const std::string& topic) { topics_.push_back(topic); },
            [this] {
                std::vector<std::unique_ptr<Recorder>> recorders;
                if (!driveResult_.empty()) {
                    recorders.push_back(std::make_unique<FailingRecorder>(driveResult_));
                }
                return recorders;
            },
            [this] { return cdDrives_; },
            dir_.Root() + "Burnlist.abl",
            [this](const std::string& folder) { explored_.push_back(folder); }};
    }
    // A CD-audio WAV of `bytes` audio bytes.
    std::string Wav(const std::string& folder, const std::string& name, size_t bytes,
                    uint32_t seed = 1) {
        const std::string audio = NoiseAudio(bytes, seed);
        testing::WriteAll(folder + name, MakeWav(audio));
        return audio;
    }

    testing::FolderFixture dir_;
    testing::ScriptedMessageBox box_;
    testing::ScriptedFileDialog files_;
    FileMonitors monitors_;
    WaitingCopyRunner runner_;
    DroppedFilesCopier copier_{box_, runner_};
    Registry registry_{QString::fromStdString(dir_.Root() + "Tamberline.conf")};
    std::vector<std::string> topics_;
    std::vector<std::string> explored_;
    std::string driveResult_;  // a failing drive before the image recorder
    std::vector<std::string> cdDrives_;
};

// The burner.

class CdBurnerTest : public CdDialogTest {
protected:
    std::unique_ptr<CdBurnerDialog> Open(const std::string& folder) {
        registry_.SetString(settings::kBurnFolder, folder);
        auto dialog = std::make_unique<CdBurnerDialog>(Services());
        dialog->show();
        return dialog;
    }
};

TEST_F(CdBurnerTest, EditingTheListKeepsNumberedLinesAndTheCapacityLabel) {
    const std::string src = dir_.Folder("src");
    // 5 % of the disc, so the label's integer part shows.
    Wav(src, "Big.wav", kDiscCapacityBytes / 20, 1);
    Wav(src, "a.wav", 4000, 2);
    Wav(src, "b.wav", 4000, 3);
    testing::WriteAll(src + "mono.wav", MakeWav(NoiseAudio(4000, 4), 1));
    dir_.File("src/notes.txt");
    auto dialog = Open(src);
    EXPECT_EQ(dialog->sourceFolder(), src);
    EXPECT_EQ(dialog->tree().SelectedFolder(), src);
    EXPECT_EQ(TextsOf(dialog->sourceList()), (Lines{"a.wav", "b.wav", "Big.wav", "mono.wav"}));
    EXPECT_EQ(dialog->capacity().text().toStdString(), "Burn list.");
    EXPECT_FALSE(dialog->burnButton().isEnabled());

    // Commands without a selection say so and change nothing.
    dialog->Add();
    dialog->Remove();
    dialog->MoveUp();
    dialog->MoveDown();
    EXPECT_EQ(box_.Texts(), (Lines{"Select a sample to add.", "Select a sample to remove.",
                                   "Select a sample to move.", "Select a sample to move."}));

    dialog->AddAll();
    EXPECT_EQ(box_.Texts().back(), kInvalidFormat);
    EXPECT_EQ(TextsOf(dialog->burnList()), (Lines{" 1. a.wav", " 2. b.wav", " 3. Big.wav"}));
    EXPECT_EQ(dialog->capacity().text().toStdString(), "Burn list : 3 tracks, 94% disc remaining.");
    EXPECT_TRUE(dialog->burnButton().isEnabled());
    EXPECT_EQ(registry_.String(settings::kBurnFolder), src);

    // Inserted at the first selected line; the mono file is deselected.
    Select(dialog->burnList(), {1});
    SelectNames(dialog->sourceList(), {"a.wav", "mono.wav"});
    dialog->Add();
    EXPECT_EQ(box_.Texts().back(), kInvalidFormat);
    EXPECT_EQ(SelectedRows(dialog->sourceList()), (std::set<int>{0}));
    EXPECT_EQ(TextsOf(dialog->burnList()),
              (Lines{" 1. a.wav", " 2. a.wav", " 3. b.wav", " 4. Big.wav"}));

    Select(dialog->burnList(), {0});
    dialog->Remove();
    EXPECT_EQ(TextsOf(dialog->burnList()), (Lines{" 1. a.wav", " 2. b.wav", " 3. Big.wav"}));
    Select(dialog->burnList(), {2});
    dialog->MoveUp();
    EXPECT_EQ(TextsOf(dialog->burnList()), (Lines{" 1. a.wav", " 2. Big.wav", " 3. b.wav"}));
    EXPECT_EQ(SelectedRows(dialog->burnList()), (std::set<int>{1}));
    Select(dialog->burnList(), {0});
    dialog->MoveDown();
    EXPECT_EQ(TextsOf(dialog->burnList()), (Lines{" 1. Big.wav", " 2. a.wav", " 3. b.wav"}));

    dialog->ClearAll();
    EXPECT_TRUE(TextsOf(dialog->burnList()).empty());
    EXPECT_EQ(dialog->capacity().text().toStdString(), "Burn list.");
    EXPECT_FALSE(dialog->burnButton().isEnabled());
}

TEST_F(CdBurnerTest, TheListSurvivesClosingAndOpening) {
    const std::string src = dir_.Folder("src");
    Wav(src, "a.wav", 4000, 2);
    Wav(src, "b.wav", 4000, 3);
    {
        auto dialog = Open(src);
        dialog->AddAll();
        dialog->reject();
    }
    EXPECT_EQ(fs::file_size(dir_.Root() + "Burnlist.abl"), kBurnListFileSize);
    auto dialog = Open(src);
    EXPECT_EQ(TextsOf(dialog->burnList()), (Lines{" 1. a.wav", " 2. b.wav"}));
}

TEST_F(CdBurnerTest, ATrackWhoseFileVanishesLeavesTheListPackedAndTheSelectionInPlace) {
    const std::string src = dir_.Folder("src");
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        Wav(src, name, 4000, 5);
    }
    auto dialog = Open(src);
    dialog->AddAll();
    Select(dialog->burnList(), {});

    // Removed by another program: the folder monitor reports it.
    testing::FolderFixture::Other("rm '" + src + "b.wav'");
    ASSERT_TRUE(PumpUntil([&] { return dialog->list().count() == 2; }));
    EXPECT_EQ(TextsOf(dialog->burnList()), (Lines{" 1. a.wav", " 2. c.wav"}));
    EXPECT_EQ(TextsOf(dialog->sourceList()), (Lines{"a.wav", "c.wav"}));
    EXPECT_EQ(SelectedRows(dialog->burnList()), (std::set<int>{1}));
    EXPECT_EQ(dialog->capacity().text().toStdString(), "Burn list : 2 tracks, 99% disc remaining.");

    // The last line gone: the one before it is selected.
    testing::FolderFixture::Other("rm '" + src + "c.wav'");
    ASSERT_TRUE(PumpUntil([&] { return dialog->list().count() == 1; }));
    EXPECT_EQ(TextsOf(dialog->burnList()), (Lines{" 1. a.wav"}));
    EXPECT_EQ(SelectedRows(dialog->burnList()), (std::set<int>{0}));
    EXPECT_TRUE(box_.shown().empty());
}

TEST_F(CdBurnerTest, BurningToAnImageRunsToTheEndAndGivesTheControlsBack) {
    const std::string src = dir_.Folder("src");
    const std::string one = Wav(src, "One.wav", 2352 * 400 + 8, 11);
    const std::string two = Wav(src, "Two.wav", 352800, 12);
    auto dialog = Open(src);
    dialog->AddAll();
    ASSERT_EQ(dialog->recorderList().count(), 1);
    EXPECT_EQ(dialog->recorderList().itemText(0).toStdString(), "Disc image (BIN/CUE)");

    const std::string out = dir_.Folder("out");
    files_.Choose(out, "Set one.cue");
    dialog->Burn();
    ASSERT_EQ(files_.requests.size(), 1u);
    const FileDialogRequest& asked = files_.requests[0];
    EXPECT_EQ(asked.mode, FileDialogRequest::Mode::kSave);
    EXPECT_EQ(asked.pattern, "*.cue");
    EXPECT_EQ(asked.driveTypeMask, 28u);
    EXPECT_EQ(asked.initialPath, src + "CD image.cue");
    EXPECT_TRUE(dialog->busy());
    EXPECT_FALSE(dialog->burnButton().isEnabled());
    EXPECT_FALSE(dialog->recorderList().isEnabled());
    EXPECT_TRUE(dialog->cancelButton().isVisibleTo(dialog.get()));
    EXPECT_TRUE(dialog->progress().isVisibleTo(dialog.get()));

    ASSERT_TRUE(PumpUntil([&] { return !dialog->busy(); }, 20000));
    EXPECT_TRUE(box_.shown().empty()) << box_.Texts().front();
    EXPECT_TRUE(dialog->burnButton().isEnabled());
    EXPECT_TRUE(dialog->recorderList().isEnabled());
    EXPECT_FALSE(dialog->cancelButton().isVisibleTo(dialog.get()));
    EXPECT_FALSE(dialog->progress().isVisibleTo(dialog.get()));
    EXPECT_TRUE(dialog->status().text().isEmpty());
    // The recorder line names the image now, and the next burn offers it.
    EXPECT_EQ(dialog->recorderList().itemText(0).toStdString(),
              "Disc image (BIN/CUE): " + out + "Set one.cue");
    EXPECT_EQ(registry_.String(settings::kCdImage), out + "Set one.cue");

    std::string error;
    auto disc = OpenCdDisc(out + "Set one.cue", &error);
    ASSERT_TRUE(disc) << error;
    EXPECT_EQ(disc->toc().tracks.size(), 2u);
    EXPECT_EQ(disc->Titles(), (Lines{"One.wav", "Two.wav"}));
}

TEST_F(CdBurnerTest, AFailedBurnSaysWhyAndGivesTheControlsBack) {
    struct Case {
        std::string drive;     // a failing drive's result, or the image recorder
        std::string folder;    // where the image goes
        std::string expected;  // the message
    };
    const std::string missing = dir_.Root() + "no such folder/";
    const std::vector<Case> cases{
        {"No disc in drive.", "", "No disc in drive."},
        {"CD disc error.", "", "CD disc error."},
        {"", missing,
         "The disc image could not be written:\n" + missing +
             "disc.bin\n\nNo such file or "
             "directory"},
    };
    const std::string src = dir_.Folder("src");
    Wav(src, "a.wav", 4000, 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        driveResult_ = c.drive;
        const size_t before = box_.shown().size();
        auto dialog = Open(src);
        dialog->AddAll();
        if (c.drive.empty()) {
            files_.Choose(c.folder, "disc.cue");
        }
        dialog->Burn();
        ASSERT_TRUE(PumpUntil([&] { return !dialog->busy(); }, 20000));
        ASSERT_EQ(box_.shown().size(), before + 1);
        EXPECT_EQ(box_.shown().back().text, c.expected);
        EXPECT_EQ(box_.shown().back().flags, mb::kOk | mb::kIconStop);
        EXPECT_TRUE(dialog->burnButton().isEnabled());
        EXPECT_TRUE(dialog->recorderList().isEnabled());
        EXPECT_FALSE(dialog->cancelButton().isVisibleTo(dialog.get()));
        EXPECT_EQ(dialog->list().count(), 1);
        dialog->ClearAll();
    }
}

TEST_F(CdBurnerTest, AnImageBesideAnotherIsNotReplacedUnasked) {
    const std::string src = dir_.Folder("src");
    Wav(src, "a.wav", 4000, 2);
    const std::string out = dir_.Folder("out");
    testing::WriteAll(out + "disc.bin", "keep me");
    auto dialog = Open(src);
    dialog->AddAll();
    files_.Choose(out, "disc.cue");
    box_.Answer("No");
    dialog->Burn();
    EXPECT_EQ(box_.Texts(),
              (Lines{out + "disc.bin\n\nFile already exists.\nDo you want to replace it?"}));
    EXPECT_FALSE(dialog->busy());
    EXPECT_EQ(testing::ReadAll(out + "disc.bin"), "keep me");
    EXPECT_FALSE(FileExists(out + "disc.cue"));
}

TEST_F(CdBurnerTest, DroppedFilesAreCopiedIntoTheSourceFolder) {
    const std::string src = dir_.Folder("src");
    const std::string elsewhere = dir_.Folder("elsewhere");
    Wav(elsewhere, "Dropped.wav", 4000, 9);
    auto dialog = Open(src);
    EXPECT_EQ(dialog->sourceList().count(), 0);
    dialog->CopyIn({elsewhere + "Dropped.wav"});
    EXPECT_EQ(TextsOf(dialog->sourceList()), (Lines{"Dropped.wav"}));
    EXPECT_TRUE(FileExists(src + "Dropped.wav"));
}

TEST_F(CdBurnerTest, MessageTargetHelpAndTheFileManager) {
    const std::string src = dir_.Folder("src");
    auto dialog = Open(src);
    EXPECT_EQ(monitors_.messageTarget(), dialog.get());
    EXPECT_EQ(monitors_.MonitoredFolder(), src);
    PressF1(*dialog);
    EXPECT_EQ(topics_, (Lines{"playlist.htm"}));
    // The right button released over the source files opens their folder.
    QWidget* files = dialog->sourceList().viewport();
    const QPointF at(5, 5);
    QMouseEvent left(QEvent::MouseButtonRelease, at, files->mapToGlobal(at), Qt::LeftButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(files, &left);
    EXPECT_TRUE(explored_.empty());
    QMouseEvent right(QEvent::MouseButtonRelease, at, files->mapToGlobal(at), Qt::RightButton,
                      Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(files, &right);
    EXPECT_EQ(explored_, (Lines{src}));
    dialog->reject();
    EXPECT_EQ(monitors_.messageTarget(), nullptr);
    EXPECT_FALSE(monitors_.FolderMonitorRunning());
}

// The ripper.

class CdRipperTest : public CdDialogTest {
protected:
    std::unique_ptr<CdRipperDialog> Open(const std::string& folder) {
        registry_.SetString(settings::kRipFolder, folder);
        auto dialog = std::make_unique<CdRipperDialog>(Services());
        dialog->show();
        return dialog;
    }
    // A disc image of tracks with the given audio sizes and titles, burnt
    // by the image recorder.
    std::vector<std::string> BurnImage(const std::string& cue, const std::vector<size_t>& sizes,
                                       const Lines& titles) {
        const std::string src = dir_.Folder("image src");
        std::vector<std::string> audio;
        BurnList list;
        for (size_t i = 0; i < sizes.size(); ++i) {
            audio.push_back(Wav(src, titles[i], sizes[i], static_cast<uint32_t>(i + 20)));
        }
        list.Add(src, titles, std::nullopt, CheckWavFile);
        std::vector<BurnTrack> tracks;
        for (const BurnSlot& s : list.tracks()) {
            tracks.push_back({s.path, s.name, s.dataSize, s.dataOffset});
        }
        struct Quiet final : BurnEvents {
            void Compiling(int, int) override {}
            void AddProgress(uint64_t, uint64_t) override {}
            void Preparing() override {}
            void TrackProgress(int, int) override {}
            void BlockProgress(uint64_t, uint64_t) override {}
            void ClosingDisc() override {}
        } events;
        std::atomic<bool> stop{false};
        EXPECT_EQ(ImageRecorder(cue).Burn(tracks, events, stop), "");
        return audio;
    }
    // Opens `cue` through "Disc image..." and waits for its tracks.
    void OpenImage(CdRipperDialog& dialog, const std::string& folder, const std::string& name) {
        files_.Choose(folder, name);
        dialog.ChooseDrive(dialog.driveList().count() - 1);
        ASSERT_TRUE(PumpUntil([&] { return !dialog.readingTracks(); }, 10000));
    }
    // A left click on the middle of a track's title.
    static void ClickTrack(CdRipperDialog& dialog, int row) {
        QListWidget& list = dialog.trackList();
        const QPointF at = list.visualItemRect(list.item(row)).center();
        QWidget* view = list.viewport();
        QMouseEvent press(QEvent::MouseButtonPress, at, view->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, view->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &press);
        QCoreApplication::sendEvent(view, &release);
    }
    static Lines Files(const std::string& folder) {
        Lines names;
        for (const auto& e : fs::directory_iterator(folder)) {
            names.push_back(e.path().filename());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(CdRipperTest, AnImageOpenedAsADriveRipsTheTickedTracksUnderTheirTitles) {
    const std::string images = dir_.Folder("images");
    const auto audio = BurnImage(images + "disc.cue", {2352 * 45 + 100, 352800, 2352 * 30},
                                 {"Intro.wav", "Live: encore.wav", "Outro.wav"});
    const std::string out = dir_.Root() + "rips/new/";
    auto dialog = Open(out);
    EXPECT_EQ(dialog->folderEdit().text().toStdString(), out);
    OpenImage(*dialog, images, "disc.cue");
    EXPECT_EQ(dialog->driveList().currentText().toStdString(), images + "disc.cue");
    EXPECT_EQ(TextsOf(dialog->trackList()), (Lines{"Intro.wav", "Live: encore.wav", "Outro.wav"}));
    EXPECT_TRUE(dialog->ripButton().isEnabled());

    // Ticks: Select None and All, then a click anywhere on a track's line.
    dialog->SelectNone();
    EXPECT_FALSE(dialog->ripButton().isEnabled());
    dialog->SelectAll();
    EXPECT_TRUE(dialog->ripButton().isEnabled());
    ClickTrack(*dialog, 2);
    EXPECT_EQ(dialog->trackList().item(2)->checkState(), Qt::Unchecked);
    ClickTrack(*dialog, 2);
    ClickTrack(*dialog, 2);

    dialog->suppressLeadIn().setChecked(false);
    dialog->Rip();
    EXPECT_TRUE(dialog->ripping());
    EXPECT_FALSE(dialog->ripButton().isEnabled());
    EXPECT_FALSE(dialog->tree().isEnabled());
    EXPECT_TRUE(dialog->cancelButton().isVisibleTo(dialog.get()));
    ASSERT_TRUE(PumpUntil([&] { return !dialog->ripping(); }, 20000));

    EXPECT_TRUE(box_.shown().empty()) << box_.Texts().front();
    // The folder was created and the tree follows it.
    EXPECT_EQ(Files(out), (Lines{"Intro.wav", "Live_ encore.wav"}));
    EXPECT_EQ(dialog->tree().SelectedFolder(), out);
    const std::string first = testing::WavData(out + "Intro.wav");
    EXPECT_EQ(first.substr(0, audio[0].size()), audio[0]);
    EXPECT_EQ(testing::WavData(out + "Live_ encore.wav").substr(0, audio[1].size()), audio[1]);
    EXPECT_TRUE(dialog->ripButton().isEnabled());
    EXPECT_TRUE(dialog->tree().isEnabled());
    EXPECT_FALSE(dialog->cancelButton().isVisibleTo(dialog.get()));
    EXPECT_EQ(registry_.String(settings::kRipFolder), out);
}

TEST_F(CdRipperTest, CancelMidRipKeepsFinishedTracksAndLeavesNoPartialFile) {
    const std::string images = dir_.Folder("images");
    BurnImage(images + "disc.cue", {2352 * 30, 2352 * 100}, {"First.wav", "Second.wav"});
    const std::string out = dir_.Folder("out");
    auto dialog = Open(out);
    OpenImage(*dialog, images, "disc.cue");
    std::atomic<bool> reached{false};
    std::atomic<bool> cancelled{false};
    dialog->SetChunkHook([&](int track, int chunk) {
        if (track == 2 && chunk == 2) {
            reached = true;
            // Bounded, so a failing test cannot hang in the worker's join.
            for (int i = 0; i < 20000 && !cancelled; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    });
    dialog->Rip();
    ASSERT_TRUE(PumpUntil([&] { return reached.load(); }, 20000));
    // Partway through track 2 its file is on disk, half written.
    EXPECT_EQ(Files(out), (Lines{".Second.wav.part", "First.wav"}));
    dialog->cancelButton().click();
    cancelled = true;
    ASSERT_TRUE(PumpUntil([&] { return !dialog->ripping(); }, 20000));
    EXPECT_EQ(Files(out), (Lines{"First.wav"}));
    EXPECT_TRUE(dialog->ripButton().isEnabled());
}

TEST_F(CdRipperTest, TheDestinationTreeAndCreateFolder) {
    const std::string out = dir_.Folder("out");
    dir_.Folder("out/Sessions");
    dir_.File("plain file");
    auto dialog = Open(out);
    EXPECT_EQ(dialog->tree().SelectedFolder(), out);

    // Choosing a folder in the tree puts it in the edit box.
    dialog->tree().ExpandToPath(out + "Sessions/");
    EXPECT_EQ(dialog->folderEdit().text().toStdString(), out + "Sessions/");

    dialog->folderEdit().setText(QString::fromStdString(out + "Gig/Set 1"));
    dialog->CreateFolder();
    EXPECT_TRUE(IsFolder(out + "Gig/Set 1"));
    EXPECT_EQ(dialog->folderEdit().text().toStdString(), out + "Gig/Set 1/");
    EXPECT_EQ(dialog->tree().SelectedFolder(), out + "Gig/Set 1/");

    dialog->folderEdit().setText(QString::fromStdString(dir_.Root() + "plain file/sub"));
    dialog->CreateFolder();
    ASSERT_EQ(box_.shown().size(), 1u);
    EXPECT_EQ(box_.shown()[0].text, "Unable to create\nspecified folder.");
    EXPECT_EQ(box_.shown()[0].flags, mb::kOk | mb::kIconStop);
}

TEST_F(CdRipperTest, TheDriveChoiceAndTheLeadInOptionAreKept) {
    cdDrives_ = {dir_.Root() + "a.cue", dir_.Root() + "b.cue"};
    registry_.SetDword(settings::kRipDrive, 1);
    registry_.SetDword(settings::kRipNoGap, 9);
    {
        auto dialog = Open(dir_.Root());
        EXPECT_EQ(dialog->driveList().currentIndex(), 1);
        EXPECT_TRUE(dialog->suppressLeadIn().isChecked());
        // Neither holds a disc: nothing to rip, and it says why.
        ASSERT_TRUE(PumpUntil([&] { return !dialog->readingTracks(); }, 10000));
        EXPECT_FALSE(dialog->ripButton().isEnabled());
        EXPECT_FALSE(dialog->status().text().isEmpty());
        dialog->driveList().setCurrentIndex(0);
        dialog->ChooseDrive(0);
        EXPECT_EQ(registry_.Dword(settings::kRipDrive), 0u);
        dialog->suppressLeadIn().setChecked(false);
        EXPECT_EQ(registry_.Dword(settings::kRipNoGap), 9u) << "written when the dialog closes";
        PressF1(*dialog);
        EXPECT_EQ(topics_, (Lines{"ripper.htm"}));
        dialog->reject();
    }
    EXPECT_EQ(registry_.Dword(settings::kRipNoGap), 0u);
}

}  // namespace
}  // namespace tamberline
