#include "files/ui/qt_file_dialog.h"

#include <gtest/gtest.h>
#include <QFile>

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

}  // namespace
}  // namespace tamberline
