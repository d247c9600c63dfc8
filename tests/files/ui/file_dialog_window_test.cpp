#include "files/ui/file_dialog_window.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <filesystem>

#include "../folder_fixture.h"
#include "files/folder_listing.h"
#include "files/ui/folder_tree.h"
#include "session/archive/copy_runner.h"
#include "session/archive/dropped_files.h"
#include "session/session_file.h"
#include "support/scripted_message_box.h"

namespace tamberline {
namespace {

using Names = std::vector<std::string>;

class Target final : public MonitorTarget {
public:
    void FolderChanged() override {}
    void DriveChanged(const std::string&) override {}
};

// The dialog over one fixed drive: a temporary folder tree.
class FileDialogWindowTest : public ::testing::Test {
protected:
    FileDialogWindowTest() { monitors_.SetMessageTarget(&console_); }

    std::unique_ptr<FileDialogWindow> Open(FileDialogRequest request) {
        auto window = std::make_unique<FileDialogWindow>(
            request, FileDialogWindow::Services{
                         box_, monitors_, copier_, {{tree_.Root(), DriveType::kFixed}}});
        window->show();
        return window;
    }
    static FileDialogRequest SaveRequest(const std::string& initialPath) {
        FileDialogRequest request;
        request.mode = FileDialogRequest::Mode::kSave;
        request.okCaption = "Save";
        request.title = "Save the songlist.";
        request.pattern = "*.m3u";
        request.initialPath = initialPath;
        return request;
    }
    static FileDialogRequest OpenRequest(const std::string& initialPath,
                                         const std::string& pattern = "*.*") {
        FileDialogRequest request;
        request.okCaption = "Open";
        request.title = "Open a session.";
        request.pattern = pattern;
        request.initialPath = initialPath;
        return request;
    }
    static Names Rows(FileDialogWindow& window) {
        Names names;
        for (int row = 0; row < window.fileList().topLevelItemCount(); ++row) {
            names.push_back(window.fileList().topLevelItem(row)->text(0).toStdString());
        }
        return names;
    }
    static void Choose(FileDialogWindow& window, const std::string& name) {
        const auto found =
            window.fileList().findItems(QString::fromStdString(name), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        window.fileList().setCurrentItem(found[0]);
        emit window.fileList().itemClicked(found[0], 0);
    }

    testing::FolderFixture tree_;
    testing::ScriptedMessageBox box_;
    FileMonitors monitors_;
    WaitingCopyRunner runner_;
    DroppedFilesCopier copier_{box_, runner_};
    Target console_;
};

TEST_F(FileDialogWindowTest, OpensOnTheInitialFolderWithFilesInNaturalOrder) {
    const std::string shows = tree_.Folder("Shows");
    for (const char* name : {"File9.wav", "File10.wav", "File1.wav", ".hidden.wav", "cue.txt"}) {
        tree_.File(std::string("Shows/") + name);
    }
    tree_.Folder("Shows/Sub");
    auto window = Open(OpenRequest(shows + "File9.wav", "*.wav"));
    EXPECT_EQ(window->windowTitle(), "Open a session.");
    EXPECT_EQ(window->CurrentFolder(), shows);
    EXPECT_EQ(window->tree().SelectedFolder(), shows);
    EXPECT_EQ(Rows(*window), (Names{"File1.wav", "File9.wav", "File10.wav"}));
    ASSERT_NE(window->fileList().currentItem(), nullptr);
    EXPECT_EQ(window->fileList().currentItem()->text(0), "File9.wav");
    EXPECT_FALSE(window->nameEdit().isVisible());
    EXPECT_FALSE(window->preserve().isVisible());
    EXPECT_EQ(window->fileList().headerItem()->text(0), "Name");
    EXPECT_EQ(window->fileList().headerItem()->text(1), "Date");
    EXPECT_TRUE(monitors_.FolderMonitorRunning());
    EXPECT_TRUE(monitors_.DriveMonitorRunning(tree_.Root()));

    // "Date" re-lists by date, "Name" in natural order again.
    const timespec old[2] = {{1600000000, 0}, {1600000000, 0}};
    ::utimensat(AT_FDCWD, (shows + "File10.wav").c_str(), old, 0);
    emit window->fileList().header()->sectionClicked(1);
    EXPECT_EQ(Rows(*window).front(), "File10.wav");
    emit window->fileList().header()->sectionClicked(0);
    EXPECT_EQ(Rows(*window).front(), "File1.wav");
}

TEST_F(FileDialogWindowTest, SaveAddsThePatternsExtensionOnceIgnoringCase) {
    const std::string lists = tree_.Folder("Lists");
    const struct {
        const char* typed;
        const char* saved;
    } cases[] = {{"Set1", "Set1.m3u"}, {"Set1.M3U", "Set1.M3U"}};
    for (const auto& c : cases) {
        auto window = Open(SaveRequest(lists + "Untitled.m3u"));
        EXPECT_EQ(window->nameEdit().text(), "Untitled.m3u");
        window->nameEdit().setText(c.typed);
        window->AcceptChoice();
        EXPECT_EQ(window->result().folder, lists);
        EXPECT_EQ(window->result().fileName, c.saved);
        EXPECT_TRUE(window->result().ok);
    }
    EXPECT_TRUE(box_.shown().empty());
}

TEST_F(FileDialogWindowTest, AnExistingFileIsReplacedOnlyOnYes) {
    const std::string lists = tree_.Folder("Lists");
    tree_.File("Lists/Set1.m3u");
    auto window = Open(SaveRequest(lists));
    Choose(*window, "Set1.m3u");
    EXPECT_EQ(window->nameEdit().text(), "Set1.m3u");
    box_.Answer("No");
    window->AcceptChoice();
    EXPECT_FALSE(window->result().ok);
    EXPECT_TRUE(window->isVisible());
    box_.Answer("Yes");
    window->AcceptChoice();
    EXPECT_TRUE(window->result().ok);
    EXPECT_EQ(box_.Texts(),
              (Names{"Set1.m3u\n\nFile already exists.\nDo you want to replace it?",
                     "Set1.m3u\n\nFile already exists.\nDo you want to replace it?"}));
}

TEST_F(FileDialogWindowTest, SaveRefusesNamesThatLeaveTheFolderOrPathsTooLong) {
    const std::string lists = tree_.Folder("Lists");
    auto window = Open(SaveRequest(lists));
    window->nameEdit().setText("../Escape");
    window->AcceptChoice();
    const std::string longName(256 - lists.size(), 'n');
    window->nameEdit().setText(QString::fromStdString(longName));
    window->AcceptChoice();
    EXPECT_FALSE(window->result().ok);
    EXPECT_EQ(box_.Texts(),
              (Names{"../Escape\n\nA name cannot contain \"/\" nor be \".\" or \"..\".",
                     lists + longName + ".m3u\n\nThis path is longer than 259 characters."}));
    EXPECT_FALSE(std::filesystem::exists(tree_.Root() + "Escape.m3u"));
}

TEST_F(FileDialogWindowTest, PlaylistOnlyOpenClearsAnyOtherChoice) {
    const std::string lists = tree_.Folder("Lists");
    tree_.File("Lists/cue.wav");
    tree_.File("Lists/Gala.M3U");
    FileDialogRequest request = OpenRequest(lists);
    request.playlistOnly = true;
    auto window = Open(request);
    window->AcceptChoice();  // nothing chosen: nothing happens
    EXPECT_TRUE(window->isVisible());
    Choose(*window, "cue.wav");
    window->AcceptChoice();
    EXPECT_FALSE(window->result().ok);
    EXPECT_TRUE(window->fileList().selectedItems().isEmpty());
    Choose(*window, "Gala.M3U");
    window->AcceptChoice();
    EXPECT_TRUE(window->result().ok);
    EXPECT_EQ(window->result().fileName, "Gala.M3U");
}

TEST_F(FileDialogWindowTest, PreserveFolderStructureFollowsTheChosenSession) {
    const std::string shows = tree_.Folder("Shows");
    auto records = std::make_unique<RecordArray>();
    ASSERT_EQ(WriteSessionFile(shows + "flat.dbf", *records), 0);
    SetPath((*records)[0], "/music/cue.wav");
    ASSERT_EQ(WriteSessionFile(shows + "nested.dbf", *records), 0);
    FileDialogRequest request = OpenRequest(shows + "nested.dbf", "*.dbf");
    request.sessionCheck = true;
    auto window = Open(request);
    EXPECT_TRUE(window->preserve().isVisible());
    EXPECT_TRUE(window->preserve().isChecked());
    Choose(*window, "flat.dbf");
    EXPECT_FALSE(window->preserve().isVisible());
    EXPECT_FALSE(window->preserve().isChecked());

    FileDialogRequest byDefault = OpenRequest(shows);
    byDefault.preserveFolderStructure = true;
    auto second = Open(byDefault);
    EXPECT_TRUE(second->preserve().isChecked());
}

TEST_F(FileDialogWindowTest, FilesAndFoldersMadeByAnotherProgramAppear) {
    const std::string shows = tree_.Folder("Shows");
    auto window = Open(OpenRequest(shows));
    EXPECT_TRUE(Rows(*window).empty());
    testing::FolderFixture::Other("touch '" + shows + "new.wav' && mkdir '" + shows + "Act 2'");
    EXPECT_TRUE(testing::PumpUntil([&] { return Rows(*window) == Names{"new.wav"}; }));
    FolderTreeModel& folders = window->tree().folders();
    EXPECT_TRUE(testing::PumpUntil([&] {
        return folders.hasChildren(window->tree().SelectedItem()) &&
               folders.HasPlaceholder(window->tree().SelectedItem());
    }));
}

TEST_F(FileDialogWindowTest, ANewFolderFromTheMenuIsSelectedRenamedAndFollowed) {
    const std::string shows = tree_.Folder("Shows");
    tree_.Folder("Shows/New folder");
    tree_.Folder("Shows/New folder (1)");
    auto window = Open(OpenRequest(shows));
    window->tree().NewFolder();
    EXPECT_EQ(window->tree().SelectedFolder(), shows + "New folder (2)/");
    EXPECT_EQ(window->CurrentFolder(), shows + "New folder (2)/");
    // The drive monitor swallows its report of our own folder.
    EXPECT_TRUE(monitors_.driveReportSuppressed());
    EXPECT_TRUE(testing::PumpUntil([&] { return !monitors_.driveReportSuppressed(); }));
    // Label editing runs on the new item; Enter renames the folder and the
    // dialog follows it.
    auto* editor =
        qobject_cast<QLineEdit*>(window->tree().indexWidget(window->tree().SelectedItem()));
    ASSERT_NE(editor, nullptr);
    editor->setText("Encore");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(editor, &enter);
    EXPECT_TRUE(testing::PumpUntil([&] { return IsFolder(shows + "Encore"); }));
    EXPECT_EQ(window->CurrentFolder(), shows + "Encore/");
    EXPECT_EQ(monitors_.MonitoredFolder(), shows + "Encore/");
    EXPECT_TRUE(box_.shown().empty());
}

TEST_F(FileDialogWindowTest, DroppedFilesAreCopiedIntoTheShownFolder) {
    const std::string shows = tree_.Folder("Shows");
    testing::FolderFixture desktop;
    const std::string a = desktop.File("a.wav", "aaaa");
    const std::string b = desktop.File("b.wav", "bb");
    tree_.File("Shows/b.wav", "keep");
    auto window = Open(OpenRequest(shows));
    box_.Answer("No");
    window->CopyIn({a, b});
    EXPECT_FALSE(monitors_.copyInProgress());
    EXPECT_EQ(Rows(*window), (Names{"a.wav", "b.wav"}));
    ASSERT_EQ(box_.Texts().size(), 1u);
    EXPECT_EQ(box_.Texts()[0].rfind("b.wav\nAlready exists in this folder.\n\n", 0), 0u);
    std::ifstream copied(shows + "a.wav");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), "aaaa");
    std::ifstream kept(shows + "b.wav");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep");
}

TEST_F(FileDialogWindowTest, ClosingStopsTheMonitorsAndRestoresTheTarget) {
    auto window = Open(OpenRequest(tree_.Folder("Shows")));
    EXPECT_NE(monitors_.messageTarget(), &console_);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&window->tree(), &escape);
    EXPECT_TRUE(window->isVisible());  // swallowed by the tree
    window->reject();
    EXPECT_FALSE(window->result().ok);
    EXPECT_EQ(monitors_.messageTarget(), &console_);
    EXPECT_FALSE(monitors_.FolderMonitorRunning());
    EXPECT_FALSE(monitors_.DriveMonitorRunning(tree_.Root()));
}

TEST_F(FileDialogWindowTest, OkWithoutAFolderCancels) {
    FileDialogRequest request = OpenRequest("/no/such/place/x.dbf");
    auto window = Open(request);
    EXPECT_EQ(window->CurrentFolder(), "");
    window->AcceptChoice();
    EXPECT_FALSE(window->result().ok);
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace tamberline
