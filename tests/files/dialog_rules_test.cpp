#include "files/dialog_rules.h"

#include <gtest/gtest.h>
#include <QFile>

#include "folder_fixture.h"
#include "session/session_file.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

TEST(FileDialogRulesTest, SaveNamesGetThePatternsExtensionOnce) {
    const struct {
        const char* name;
        const char* pattern;
        const char* result;
    } cases[] = {
        {"Set1", "*.m3u", "Set1.m3u"}, {"Set1.M3U", "*.m3u", "Set1.M3U"},
        {"Gala", "*.dbf", "Gala.dbf"}, {"Gala.dbf.bak", "*.dbf", "Gala.dbf.bak.dbf"},
        {"notes", "*.*", "notes"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WithDefaultExtension(c.name, c.pattern), c.result) << c.name;
    }
}

TEST(FileDialogRulesTest, ExistingFileIsReplacedOnlyOnYes) {
    testing::TempDir dir;
    dir.Write("Gala.dbf", "x");
    const std::string folder = dir.Path() + "/";
    testing::ScriptedMessageBox box;
    EXPECT_TRUE(ConfirmReplace(box, folder, "New.dbf"));
    EXPECT_TRUE(box.shown().empty());

    box.Answer("No");
    EXPECT_FALSE(ConfirmReplace(box, folder, "Gala.dbf"));
    box.Answer("Yes");
    EXPECT_TRUE(ConfirmReplace(box, folder, "Gala.dbf"));
    EXPECT_EQ(box.Texts(), (std::vector<std::string>{
                               "Gala.dbf\n\nFile already exists.\nDo you want to replace it?",
                               "Gala.dbf\n\nFile already exists.\nDo you want to replace it?"}));
    EXPECT_EQ(box.shown()[0].flags, mb::kYesNo | mb::kIconQuestion | mb::kDefault2);
}

TEST(FileDialogRulesTest, ReadOnlyFileIsReportedBeforeTheQuestion) {
    testing::TempDir dir;
    const std::string path = dir.Write("Gala.dbf", "x");
    QFile::setPermissions(QString::fromStdString(path), QFile::ReadOwner);
    testing::ScriptedMessageBox box;
    box.Answer("Ok");
    box.Answer("No");
    EXPECT_FALSE(ConfirmReplace(box, dir.Path() + "/", "Gala.dbf"));
    ASSERT_EQ(box.shown().size(), 2u);
    EXPECT_EQ(box.shown()[0].text, "Gala.dbf\n\nFile already exists,\nand is set ReadOnly.");
}

TEST(FileDialogRulesTest, PlaylistOnlyAcceptsPlaylistEndingsInAnyCase) {
    const struct {
        const char* name;
        bool accepted;
    } cases[] = {
        {"Set.m3u", true}, {"Set.M3U", true}, {"a.asx", true},  {"a.wax", true},    {"a.WVX", true},
        {"a.wpl", true},   {"a.smil", true},  {"a.wav", false}, {"m3u.wav", false}, {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsPlaylistName(c.name), c.accepted) << c.name;
    }
}

TEST(FileDialogRulesTest, ASessionHasFolderStructureWhenASamplePathHasFolders) {
    testing::FolderFixture tree;
    auto records = std::make_unique<RecordArray>();
    const std::string flat = tree.Root() + "flat.dbf";
    SetPath((*records)[5], "/cue.wav");
    ASSERT_EQ(WriteSessionFile(flat, *records), 0);
    const std::string nested = tree.Root() + "nested.dbf";
    SetPath((*records)[300], "Show\\cue.wav");
    ASSERT_EQ(WriteSessionFile(nested, *records), 0);
    EXPECT_FALSE(SessionHasFolderStructure(flat));
    EXPECT_TRUE(SessionHasFolderStructure(nested));
    EXPECT_FALSE(SessionHasFolderStructure(tree.File("short.dbf", "not a session")));
    EXPECT_FALSE(SessionHasFolderStructure(tree.Root() + "missing.dbf"));
}

TEST(FileDialogRulesTest, NamesThatLeadOutOfTheFolderAndPathsTooLongAreRefused) {
    EXPECT_EQ(NameRefusal("Set1.m3u"), "");
    EXPECT_EQ(NameRefusal("../Set1"),
              "../Set1\n\nA name cannot contain \"/\" nor be \".\" or \"..\".");
    EXPECT_NE(NameRefusal("."), "");
    EXPECT_FALSE(IsTooLongForPathField(std::string(259, 'a')));
    EXPECT_TRUE(IsTooLongForPathField(std::string(260, 'a')));
    EXPECT_EQ(TooLongMessage("/x"), "/x\n\nThis path is longer than 259 characters.");
}

}  // namespace
}  // namespace tamberline
