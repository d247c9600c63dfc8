#include "setup/ui/lost_sample_list_dialog.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace tamberline {
namespace {

const std::vector<std::string> kLines{"These samples were not found:", "", "6. /gone.wav", "", ""};

TEST(LostSampleListDialogTest, LostSamplesOfferClearFindAndIgnore) {
    struct Case {
        QPushButton& (LostSampleListDialog::*button)();
        int result;
    } cases[] = {{&LostSampleListDialog::clearButton, LostSampleListDialog::kClearLostSamples},
                 {&LostSampleListDialog::findButton, LostSampleListDialog::kFind},
                 {&LostSampleListDialog::closeButton, LostSampleListDialog::kIgnore}};
    for (const Case& c : cases) {
        LostSampleListDialog dialog(kLines, true);
        EXPECT_EQ(dialog.windowTitle(), "Samples lost or changed.");
        ASSERT_EQ(dialog.list().count(), 5);
        EXPECT_EQ(dialog.list().item(2)->text(), "6. /gone.wav");
        EXPECT_EQ(dialog.clearButton().text(), "Clear Lost Samples");
        EXPECT_EQ(dialog.findButton().text(), "Find");
        EXPECT_EQ(dialog.closeButton().text(), "Ignore");
        EXPECT_TRUE(dialog.clearButton().isVisibleTo(&dialog));
        EXPECT_TRUE(dialog.findButton().isVisibleTo(&dialog));
        QTimer::singleShot(0, &dialog, [&] { (dialog.*c.button)().click(); });
        EXPECT_EQ(dialog.exec(), c.result);
    }
}

TEST(LostSampleListDialogTest, OnlyEditedSamplesAreOnlyReported) {
    LostSampleListDialog dialog(
        {"These samples have been edited since they were last used:", "", "7. /edited.wav"}, false);
    EXPECT_FALSE(dialog.clearButton().isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.findButton().isVisibleTo(&dialog));
    EXPECT_EQ(dialog.closeButton().text(), "Close");
}

}  // namespace
}  // namespace tamberline
