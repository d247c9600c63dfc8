#include "app/ui/list_selection_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace tamberline {
namespace {

TEST(ListSelectionDialogTest, ShowsTheModelAndHandsChoicesBack) {
    ListSelectionModel model = ListSelectionModel::ForAsio({"system (JACK)", "hw:0 (ALSA)"}, 1);
    std::vector<std::pair<int, bool>> panels;
    model.SetControlPanel([&](int row, bool reassign) { panels.emplace_back(row, reassign); });
    ListSelectionDialog dialog(model);

    EXPECT_EQ(dialog.windowTitle(), "ASIO");
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0]->text(), "Select ASIO Driver");
    QComboBox* rows = dialog.Rows();
    ASSERT_EQ(rows->count(), 3);
    EXPECT_EQ(rows->itemText(0), "Do not use ASIO");
    EXPECT_EQ(rows->itemText(2), "hw:0 (ALSA)");
    EXPECT_EQ(rows->currentIndex(), 1);

    rows->setCurrentIndex(2);
    EXPECT_EQ(model.Selected(), 2);
    dialog.ControlPanelButton()->click();
    emit dialog.ControlPanelButton()->customContextMenuRequested(QPoint(1, 1));
    EXPECT_EQ(panels, (std::vector<std::pair<int, bool>>{{2, false}, {2, true}}));
}

TEST(ListSelectionDialogTest, HelpButtonOpensTheTopicOfTheChoice) {
    struct Case {
        ListSelectionModel model;
        std::string topic;
    };
    Case cases[] = {{ListSelectionModel::ForAsio({}, 0), "GetStarted.htm#outputs"},
                    {ListSelectionModel::ForSmpte({"Capture 1"}, 0), "GetStarted.htm#timecode"}};
    for (Case& c : cases) {
        std::vector<std::string> topics;
        ListSelectionDialog dialog(c.model, nullptr,
                                   [&](const std::string& topic) { topics.push_back(topic); });
        ASSERT_EQ(dialog.HelpButton()->text(), "Help");
        dialog.HelpButton()->click();
        EXPECT_EQ(topics, std::vector<std::string>{c.topic});
    }
}

TEST(ListSelectionDialogTest, NewRowsAreShownWithTheModelsSelection) {
    ListSelectionModel model = ListSelectionModel::ForSmpte({"Line In", "Mic"}, 1);
    {
        ListSelectionDialog dialog(model);
        QComboBox* rows = dialog.Rows();
        std::vector<int> picked;
        QObject::connect(rows, &QComboBox::currentIndexChanged,
                         [&picked](int row) { picked.push_back(row); });
        model.SetRows({"USB LTC", "Line In", "Mic"}, 2);
        ASSERT_EQ(rows->count(), 3);
        EXPECT_EQ(rows->itemText(0), "USB LTC");
        EXPECT_EQ(rows->currentIndex(), 2);
        EXPECT_EQ(model.Selected(), 2);
        // Filling is no pick of the operator's.
        EXPECT_TRUE(picked.empty());
        model.SetRows({}, -1);
        EXPECT_EQ(rows->count(), 0);
        EXPECT_EQ(model.Selected(), -1);
        // The operator's pick still goes to the model.
        model.SetRows({"Line In", "Mic"}, 0);
        rows->setCurrentIndex(1);
        EXPECT_EQ(model.Selected(), 1);
    }
    // The dialog is gone: new rows tell nobody.
    model.SetRows({"Line In"}, 0);
    EXPECT_EQ(model.Rows(), std::vector<std::string>{"Line In"});
}

}  // namespace
}  // namespace tamberline
