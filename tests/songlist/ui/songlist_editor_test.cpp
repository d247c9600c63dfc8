#include "songlist/ui/songlist_editor.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../../files/folder_fixture.h"
#include "common_player_playlist.h"
#include "files/file_copier.h"
#include "files/ui/folder_tree.h"
#include "playback/graph/media_length.h"
#include "session/archive/copy_runner.h"
#include "session/archive/dropped_files.h"
#include "session/disk_file.h"
#include "session/registry.h"
#include "songlist/playlist_reader.h"
#include "support/scripted_file_dialog.h"
#include "support/scripted_message_box.h"

namespace tamberline {
namespace {

using Paths = std::vector<std::string>;

// Real media, made once: 20.1 s WAV and FLAC, 21 s MP3, a 2 s Theora
// video, and a text file that no player can measure.
class Media {
public:
    static const Media& Get() {
        static const Media media;
        return media;
    }
    std::string Folder() const { return folder_.Root(); }
    std::string wav, flac, mp3, video, text;
    bool made = false;

private:
    Media() {
        const std::string root = folder_.Root();
        wav = root + "Intro.wav";
        flac = root + "Überleitung – 曲.flac";
        mp3 = root + "Song.mp3";
        video = root + "Film.ogv";
        text = root + "notes.txt";
        made = Run("sox -q -n -r 48000 -c 2 -b 16 '" + wav + "' synth 20.1 sine 440") &&
               Run("gst-launch-1.0 -q audiotestsrc num-buffers=201 samplesperbuffer=4410 ! "
                   "audio/x-raw,rate=44100,channels=2 ! flacenc ! filesink location='" +
                   flac + "'") &&
               Run("gst-launch-1.0 -q audiotestsrc num-buffers=210 samplesperbuffer=4410 ! "
                   "audio/x-raw,rate=44100,channels=2 ! lamemp3enc target=bitrate cbr=true "
                   "bitrate=128 ! filesink location='" +
                   mp3 + "'") &&
               Run("gst-launch-1.0 -q videotestsrc num-buffers=50 ! "
                   "video/x-raw,width=160,height=120,framerate=25/1 ! theoraenc ! oggmux ! "
                   "filesink location='" +
                   video + "'");
        std::ofstream(text) << "not a sample";
    }
    static bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

    testing::FolderFixture folder_;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Spins the event loop until `done` or a timeout.
template <typename Done>
bool WaitFor(Done done, int timeoutMs = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

// The window that opened the editor.
class Opener final : public MonitorTarget {
public:
    void FolderChanged() override { ++folderChanges; }
    void DriveChanged(const std::string&) override {}
    int folderChanges = 0;
};

class SonglistEditorTest : public ::testing::Test {
protected:
    SonglistEditorTest() { monitors_.SetMessageTarget(&opener_); }

    void SetUp() override { ASSERT_TRUE(Media::Get().made) << "sox or GStreamer encoders missing"; }

    std::unique_ptr<SonglistEditor> Open(const std::string& preset = "",
                                         MediaLengthFn measure = DetectorMediaLength) {
        auto editor = std::make_unique<SonglistEditor>(
            SonglistEditorServices{
                box_,
                monitors_,
                files_,
                copier_,
                registry_,
                {{"/", DriveType::kFixed}},
                std::move(measure),
                [this](const std::string& path, const SonglistEntries::Lengths& known) {
                    saved_.push_back(path);
                    known_ = known;
                },
                nullptr},
            preset);
        editor->show();
        return editor;
    }
    static std::vector<std::string> Lines(QListWidget& list) {
        std::vector<std::string> lines;
        for (int row = 0; row < list.count(); ++row) {
            lines.push_back(list.item(row)->text().toStdString());
        }
        return lines;
    }
    static void SelectSources(SonglistEditor& editor, const std::vector<std::string>& names) {
        QListWidget& list = editor.sourceList();
        list.clearSelection();
        for (const std::string& name : names) {
            const auto found = list.findItems(QString::fromStdString(name), Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << name;
            found[0]->setSelected(true);
        }
    }
    static void SelectSongs(SonglistEditor& editor, const std::set<int>& rows) {
        editor.songList().clearSelection();
        for (int row : rows) {
            editor.songList().item(row)->setSelected(true);
        }
    }
    void UseFolder(const std::string& folder) {
        registry_.SetString(settings::kSonglistFolder, folder);
    }
    std::string Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    testing::FolderFixture dir_;
    Opener opener_;
    testing::ScriptedMessageBox box_;
    testing::ScriptedFileDialog files_;
    FileMonitors monitors_;
    WaitingCopyRunner runner_;
    DroppedFilesCopier copier_{box_, runner_};
    Registry registry_{QString::fromStdString(dir_.Root() + "Tamberline.conf")};
    Paths saved_;
    SonglistEntries::Lengths known_;
};

TEST_F(SonglistEditorTest, RealLengthsFillInAndSaveWritesTheM3uEveryPlayerReads) {
    const Media& media = Media::Get();
    UseFolder(media.Folder());
    const std::string lists = dir_.Folder("lists");
    registry_.SetString(settings::kSonglist, lists + "Set.m3u");
    auto editor = Open();
    // No file at the last path: a new list beside it.
    EXPECT_EQ(editor->currentPath(), lists + "Songlist.m3u");
    EXPECT_EQ(editor->windowTitle().toStdString(), "SongList - " + lists + "Songlist.m3u");
    EXPECT_EQ(editor->sourceFolder(), media.Folder());
    EXPECT_EQ(editor->caption().text().toStdString(), "Song list.");

    editor->AddAll();
    editor->WaitUntilSettled();
    // The text file measures 0 and is left out without a word.
    EXPECT_EQ(editor->entries().Paths(), (Paths{media.video, media.wav, media.mp3, media.flac}));
    EXPECT_EQ(Lines(editor->songList()),
              (Paths{"Film.ogv", "Intro.wav", "Song.mp3", "Überleitung – 曲.flac"}));
    const auto& known = editor->entries().known();
    EXPECT_EQ(known.at(media.wav), 20500);
    EXPECT_EQ(known.at(media.flac), 20500);
    EXPECT_EQ(known.at(media.video), 2000);
    EXPECT_GE(known.at(media.mp3), 21000);
    EXPECT_LE(known.at(media.mp3), 21500);
    EXPECT_EQ(editor->caption().text().toStdString(), "Song list  01:04");
    EXPECT_EQ(registry_.String(settings::kSonglistFolder), media.Folder());

    editor->ToggleView();
    EXPECT_EQ(editor->viewToggle().text().toStdString(), "Simple");
    EXPECT_EQ(Lines(editor->songList())[1], media.wav);
    editor->ToggleView();
    EXPECT_EQ(editor->viewToggle().text().toStdString(), "Detail");

    ASSERT_TRUE(editor->Save());
    const std::string expected =
        media.video + "\r\n" + media.wav + "\r\n" + media.mp3 + "\r\n" + media.flac + "\r\n";
    EXPECT_EQ(ReadAll(lists + "Songlist.m3u"), expected);
    EXPECT_EQ(saved_, Paths{lists + "Songlist.m3u"});
    EXPECT_EQ(known_.at(media.wav), 20500);
    EXPECT_EQ(registry_.String(settings::kSonglist), lists + "Songlist.m3u");
    EXPECT_EQ(monitors_.messageTarget(), editor.get());
    EXPECT_EQ(opener_.folderChanges, 0) << "the one folder monitor stays on the editor's folder";

    Paths ours;
    ReadPlaylist(lists + "Songlist.m3u", ours, true);
    EXPECT_EQ(ours, editor->entries().Paths());
    const auto theirs = testing::CommonPlayerEntries(lists + "Songlist.m3u");
    if (theirs) {
        EXPECT_EQ(*theirs, editor->entries().Paths());
    } else {
        ADD_FAILURE() << "Totem's playlist parser is not installed (libtotem-plparser-dev)";
    }

    editor->Exit();
    EXPECT_EQ(editor->result(), QDialog::Accepted);
    EXPECT_TRUE(box_.shown().empty());
    EXPECT_EQ(monitors_.messageTarget(), &opener_);
    EXPECT_EQ(opener_.folderChanges, 1);
}

TEST_F(SonglistEditorTest, AReorderedListIsNotLostAtExit) {
    const Media& media = Media::Get();
    const std::string list =
        Write(dir_.Root() + "Set.m3u", media.wav + "\r\n" + media.flac + "\r\n");
    auto editor = Open(list);
    EXPECT_EQ(editor->entries().Paths(), (Paths{media.wav, media.flac}));
    SelectSongs(*editor, {0});
    editor->MoveDown();
    EXPECT_EQ(Lines(editor->songList())[0], "Überleitung – 曲.flac");
    EXPECT_EQ(editor->songList().item(1)->isSelected(), true);

    box_.Answer("Cancel");
    editor->Exit();
    ASSERT_EQ(box_.Texts(), Paths{"Do you want to save the\nchanges made to this songlist?"});
    EXPECT_EQ(box_.shown()[0].flags, mb::kYesNoCancel | mb::kIconQuestion | mb::kDefault3);
    EXPECT_TRUE(editor->isVisible()) << "Cancel abandons the exit";

    box_.Answer("Yes");
    editor->Exit();
    EXPECT_FALSE(editor->isVisible());
    Paths read;
    ReadPlaylist(list, read, true);
    EXPECT_EQ(read, (Paths{media.flac, media.wav}));
}

TEST_F(SonglistEditorTest, AFailedSaveSaysWhyAndKeepsTheEditorOpen) {
    const Media& media = Media::Get();
    const struct {
        const char* name;
        std::function<std::string(testing::FolderFixture&)> target;
        int error;
    } cases[] = {
        {"read-only file",
         [](testing::FolderFixture& dir) {
             const std::string path = dir.File("ro.m3u", "");
             ::chmod(path.c_str(), 0444);
             return path;
         },
         EACCES},
        {"folder gone (a drive pulled)",
         [](testing::FolderFixture& dir) { return dir.Root() + "gone/x.m3u"; }, ENOENT},
    };
    UseFolder(media.Folder());
    for (const auto& c : cases) {
        box_ = testing::ScriptedMessageBox();
        const std::string target = c.target(dir_);
        auto editor = Open(target);
        // The missing folder gives a new name in it; the list is still ours.
        const std::string path = editor->currentPath();
        editor->AddAll();
        editor->WaitUntilSettled();
        ASSERT_EQ(editor->entries().size(), 4u) << c.name;

        box_.Answer("Yes");
        box_.Answer("Ok");
        editor->Exit();
        ASSERT_EQ(box_.Texts().size(), 2u) << c.name;
        EXPECT_EQ(box_.Texts()[1], SystemErrorReport(path, c.error)) << c.name;
        EXPECT_EQ(box_.shown()[1].flags, mb::kOk | mb::kIconStop) << c.name;
        EXPECT_TRUE(editor->isVisible()) << c.name << ": the edits are still there";
        EXPECT_EQ(editor->entries().size(), 4u) << c.name;
        EXPECT_TRUE(saved_.empty()) << c.name;

        // Saving elsewhere succeeds and Exit then goes.
        files_.Choose(dir_.Root(), "good.m3u");
        EXPECT_TRUE(editor->SaveAs()) << c.name;
        EXPECT_EQ(files_.requests.back().title, "Save songlist file as.");
        EXPECT_EQ(files_.requests.back().pattern, "*.m3u");
        EXPECT_EQ(files_.requests.back().okCaption, "Save");
        editor->Exit();
        EXPECT_FALSE(editor->isVisible()) << c.name;
        saved_.clear();
    }
}

TEST_F(SonglistEditorTest, AFileRemovedWhileListedIsMarkedNotDropped) {
    const Media& media = Media::Get();
    const std::string folder = dir_.Folder("set");
    const std::string a = folder + "a.wav";
    const std::string b = folder + "b.wav";
    std::filesystem::copy_file(media.wav, a);
    std::filesystem::copy_file(media.wav, b);
    UseFolder(folder);
    const std::string list = Write(dir_.Root() + "Set.m3u", a + "\r\n" + b + "\r\n");
    auto editor = Open(list);
    ASSERT_TRUE(editor->WaitForLengths(20000));
    EXPECT_EQ(editor->caption().text().toStdString(), "Song list  00:41");

    // The folder monitor sees it go, as it would see a drive unplugged.
    std::filesystem::rename(b, dir_.Root() + "b.wav.away");
    ASSERT_TRUE(WaitFor([&] { return Lines(editor->songList())[1] != "b.wav"; }));
    EXPECT_EQ(Lines(editor->songList()), (Paths{"a.wav", "b.wav    *File not found*"}));
    EXPECT_EQ(editor->caption().text().toStdString(), "Song list  00:20");
    EXPECT_EQ(editor->entries().Paths(), (Paths{a, b}));
    EXPECT_TRUE(editor->Save());
    Paths read;
    ReadPlaylist(list, read, true);
    EXPECT_EQ(read, (Paths{a, b})) << "a save keeps the missing song";

    // Back again: measured afresh.
    std::filesystem::rename(dir_.Root() + "b.wav.away", b);
    ASSERT_TRUE(WaitFor([&] { return Lines(editor->songList())[1] == "b.wav"; }));
    ASSERT_TRUE(WaitFor([&] { return editor->caption().text() == "Song list  00:41"; }));
    editor->Exit();
    EXPECT_TRUE(box_.shown().empty());
}

TEST_F(SonglistEditorTest, AddPutsTheSelectionBeforeTheLastSelectedSong) {
    const Media& media = Media::Get();
    UseFolder(media.Folder());
    const std::string list =
        Write(dir_.Root() + "Set.m3u", media.video + "\r\n" + media.mp3 + "\r\n");
    auto editor = Open(list);
    SelectSongs(*editor, {1});
    SelectSources(*editor, {"Intro.wav", "notes.txt", "Überleitung – 曲.flac"});
    editor->Add();
    editor->WaitUntilSettled();
    EXPECT_EQ(editor->entries().Paths(), (Paths{media.video, media.flac, media.wav, media.mp3}));
    // The file that cannot be measured is deselected, the others stay.
    EXPECT_FALSE(editor->sourceList().findItems("notes.txt", Qt::MatchExactly)[0]->isSelected());
    EXPECT_TRUE(editor->sourceList().findItems("Intro.wav", Qt::MatchExactly)[0]->isSelected());

    editor->ClearSelection();
    EXPECT_TRUE(editor->sourceList().selectedItems().isEmpty());
    editor->ClearAll();
    EXPECT_EQ(editor->songList().count(), 0);
    EXPECT_EQ(editor->caption().text().toStdString(), "Song list.");
    box_.Answer("No");
    editor->Exit();
    EXPECT_FALSE(editor->isVisible());
}

TEST_F(SonglistEditorTest, CommandsWithoutASelectionSaySo) {
    UseFolder(Media::Get().Folder());
    auto editor = Open(dir_.Root() + "Set.m3u");
    const struct {
        void (SonglistEditor::*command)();
        const char* text;
    } cases[] = {
        {&SonglistEditor::Add, "Select a sample to add."},
        {&SonglistEditor::Remove, "Select a sample to remove\nfrom the song list."},
        {&SonglistEditor::MoveUp, "Select a sample to move."},
        {&SonglistEditor::MoveDown, "Select a sample to move."},
    };
    for (const auto& c : cases) {
        box_ = testing::ScriptedMessageBox();
        ((*editor).*c.command)();
        EXPECT_EQ(box_.Texts(), Paths{c.text});
    }
}

TEST_F(SonglistEditorTest, ASonglistHoldingItselfIsMarkedAndNeverAdded) {
    const Media& media = Media::Get();
    const std::string folder = dir_.Folder("self");
    std::filesystem::copy_file(media.wav, folder + "a.wav");
    const std::string list = folder + "Self.m3u";
    Write(list, list + "\r\n" + folder + "a.wav\r\n");
    UseFolder(folder);
    auto editor = Open(list);
    ASSERT_TRUE(editor->WaitForLengths(20000));
    EXPECT_EQ(Lines(editor->songList()), (Paths{"Self.m3u    *File not found*", "a.wav"}));

    SelectSongs(*editor, {});
    SelectSources(*editor, {"Self.m3u"});
    editor->Add();
    editor->WaitUntilSettled();
    EXPECT_EQ(editor->entries().size(), 2u);
    editor->Exit();
    EXPECT_TRUE(box_.shown().empty());
}

TEST_F(SonglistEditorTest, NewProposesTheFirstFreeNumber) {
    const std::string folder = dir_.Folder("new");
    dir_.File("new/Songlist.m3u", "");
    dir_.File("new/Songlist (1).m3u", "");
    dir_.File("new/Track 10.wav", "");
    dir_.File("new/Track 2.wav", "");
    UseFolder(folder);
    auto editor = Open(folder + "Songlist.m3u");
    // The source list is in natural order.
    const Paths sources = Lines(editor->sourceList());
    ASSERT_EQ(sources.size(), 4u);
    EXPECT_EQ(sources[2], "Track 2.wav");
    EXPECT_EQ(sources[3], "Track 10.wav");
    editor->New();
    EXPECT_EQ(editor->currentPath(), folder + "Songlist (2).m3u");
    EXPECT_EQ(editor->windowTitle().toStdString(), "SongList - " + folder + "Songlist (2).m3u");
    EXPECT_TRUE(box_.shown().empty()) << "an empty list has nothing to save";
}

TEST_F(SonglistEditorTest, OpenReadsTheChosenList) {
    const Media& media = Media::Get();
    const std::string other = Write(dir_.Root() + "Other.m3u", "Intro.wav\r\n");
    std::filesystem::copy_file(media.wav, dir_.Root() + "Intro.wav");
    auto editor = Open(dir_.Root() + "Set.m3u");
    files_.Choose(dir_.Root(), "Other.m3u");
    editor->Open();
    ASSERT_EQ(files_.requests.size(), 1u);
    EXPECT_EQ(files_.requests[0].title, "Open songlist file.");
    EXPECT_EQ(files_.requests[0].okCaption, "Open");
    EXPECT_EQ(files_.requests[0].pattern, "*.*");
    EXPECT_EQ(files_.requests[0].initialPath, dir_.Root() + "Songlist.m3u");
    EXPECT_EQ(editor->currentPath(), other);
    // Relative entries are resolved against the list's folder.
    EXPECT_EQ(editor->entries().Paths(), Paths{dir_.Root() + "Intro.wav"});
    EXPECT_EQ(registry_.String(settings::kSonglist), other);
}

TEST_F(SonglistEditorTest, DroppedFilesAreCopiedIntoTheSourceFolder) {
    const std::string folder = dir_.Folder("drop");
    UseFolder(folder);
    auto editor = Open(dir_.Root() + "Set.m3u");
    EXPECT_EQ(editor->sourceList().count(), 0);
    editor->CopyIn({Media::Get().wav});
    EXPECT_EQ(Lines(editor->sourceList()), Paths{"Intro.wav"});
    EXPECT_TRUE(FileExists(folder + "Intro.wav"));
}

TEST_F(SonglistEditorTest, FiveThousandEntriesOpenFillAndSave) {
    const std::string folder = dir_.Folder("many");
    std::string bytes;
    Paths paths;
    for (int i = 0; i < 5000; ++i) {
        paths.push_back(folder + "Take " + std::to_string(i) + " – ü.wav");
        bytes += paths.back() + "\r\n";
    }
    const std::string list = Write(dir_.Root() + "Many.m3u", bytes);
    std::atomic<int> measured{0};
    QElapsedTimer timer;
    timer.start();
    auto editor = Open(list, [&measured](const std::string&) {
        ++measured;
        return 1000;
    });
    ASSERT_EQ(editor->songList().count(), 5000);
    const qint64 shown = timer.elapsed();
    ASSERT_TRUE(editor->WaitForLengths(60000));
    std::printf("5000 entries: shown after %lld ms, all lengths after %lld ms\n",
                static_cast<long long>(shown), static_cast<long long>(timer.elapsed()));
    EXPECT_EQ(measured.load(), 5000);
    EXPECT_EQ(editor->caption().text().toStdString(), "Song list  01:23:20");
    SelectSongs(*editor, {4999});
    editor->MoveUp();
    ASSERT_TRUE(editor->Save());
    std::swap(paths[4998], paths[4999]);
    EXPECT_EQ(ReadAll(list).size(), bytes.size());
    Paths read;
    ReadPlaylist(list, read, true);
    EXPECT_EQ(read, paths);
    editor->Exit();
    EXPECT_TRUE(box_.shown().empty());
}

TEST_F(SonglistEditorTest, SavingAListOfAnotherKindAsksForAnM3uName) {
    const Media& media = Media::Get();
    const std::string asx = Write(dir_.Root() + "Show.asx",
                                  "<asx><entry><ref href=\"" + media.wav + "\"/></entry></asx>");
    auto editor = Open(asx);
    EXPECT_EQ(editor->entries().Paths(), Paths{media.wav});
    files_.Cancel();
    EXPECT_FALSE(editor->Save()) << "a cancelled Save As saves nothing";
    ASSERT_EQ(files_.requests.size(), 1u);
    EXPECT_EQ(files_.requests[0].initialPath, dir_.Root() + "Show.m3u");
    EXPECT_EQ(files_.requests[0].mode, FileDialogRequest::Mode::kSave);
    EXPECT_TRUE(saved_.empty());

    files_.Choose(dir_.Root(), "Show.m3u");
    EXPECT_TRUE(editor->Save());
    EXPECT_EQ(ReadAll(dir_.Root() + "Show.m3u"), media.wav + "\r\n");
    EXPECT_EQ(saved_, Paths{dir_.Root() + "Show.m3u"});
}

}  // namespace
}  // namespace tamberline
