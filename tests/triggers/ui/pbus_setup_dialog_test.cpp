#include "triggers/ui/pbus_setup_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace tamberline::testing {
namespace {

class PbusSetupDialogTest : public ::testing::Test {
protected:
    PbusSetupDialogTest() {
        setup_.port = "/tmp/ttyLine";
        setup_.rate = 9;    // out of range: shown as 38400
        setup_.parity = 7;  // out of range: shown as "No parity"
        setup_.config.playMask = 0x0005;
        setup_.config.stopMask = 0x0002;
        setup_.config.addresses = {1, 0, 24, 4};
        dialog_ = std::make_unique<PbusSetupDialog>(
            setup_, std::vector<std::string>{"/dev/ttyS0", "/dev/ttyUSB0"}, [this] { ++help_; });
    }
    QPushButton* Button(const QString& text) {
        for (QPushButton* button : dialog_->findChildren<QPushButton*>()) {
            if (button->text() == text) {
                return button;
            }
        }
        return nullptr;
    }
    static std::vector<int> Selected(const QListWidget* list) {
        std::vector<int> codes;
        for (int k = 0; k < list->count(); ++k) {
            if (list->item(k)->isSelected()) {
                codes.push_back(k);
            }
        }
        return codes;
    }

    PbusSetup setup_;
    int help_ = 0;
    std::unique_ptr<PbusSetupDialog> dialog_;
};

TEST_F(PbusSetupDialogTest, ShowsTheStoredSetupInItsLists) {
    EXPECT_EQ(dialog_->windowTitle(), "P-Bus Setup.");
    EXPECT_EQ(dialog_->port()->currentText(), "/tmp/ttyLine");
    EXPECT_EQ(dialog_->port()->count(), 2);
    EXPECT_EQ(dialog_->rate()->currentText(), "38400");
    EXPECT_EQ(dialog_->parity()->currentText(), "No parity");
    ASSERT_EQ(dialog_->address(0)->count(), 25);
    EXPECT_EQ(dialog_->address(0)->itemText(0), "");
    EXPECT_EQ(dialog_->address(0)->currentText(), " 0");
    EXPECT_EQ(dialog_->address(1)->currentIndex(), 0);
    EXPECT_EQ(dialog_->address(2)->currentText(), " 23");
    ASSERT_EQ(dialog_->play()->count(), 16);
    EXPECT_EQ(dialog_->play()->item(0)->text(), "00       0x00");
    EXPECT_EQ(dialog_->play()->item(15)->text(), "15       0x0F");
    EXPECT_EQ(Selected(dialog_->play()), (std::vector<int>{0, 2}));
    EXPECT_EQ(Selected(dialog_->stop()), (std::vector<int>{1}));
    QStringList labels;
    for (QLabel* label : dialog_->findChildren<QLabel*>()) {
        labels << label->text();
    }
    for (const char* text :
         {"Port ", "Rate", "Parity", "Address A ", "Address D", "Play Command", "Stop command",
          "Registers 0..99 map to buttons 1..100", "Registers 0..35 map to buttons 301..336"}) {
        EXPECT_TRUE(labels.contains(text)) << text;
    }
    for (const char* text : {"Apply", "Cancel", "Set defaults", "Help"}) {
        EXPECT_NE(Button(text), nullptr) << text;
    }
}

TEST_F(PbusSetupDialogTest, ACodeIsNeverInBothLists) {
    dialog_->stop()->item(2)->setSelected(true);  // code 2 was a Play code
    EXPECT_EQ(Selected(dialog_->play()), (std::vector<int>{0}));
    EXPECT_EQ(Selected(dialog_->stop()), (std::vector<int>{1, 2}));
    dialog_->play()->item(1)->setSelected(true);
    EXPECT_EQ(Selected(dialog_->stop()), (std::vector<int>{2}));
}

TEST_F(PbusSetupDialogTest, SetDefaultsLeavesPortAndAddresses) {
    dialog_->rate()->setCurrentIndex(5);
    dialog_->parity()->setCurrentIndex(2);
    Button("Set defaults")->click();
    EXPECT_EQ(dialog_->rate()->currentText(), "38400");
    EXPECT_EQ(dialog_->parity()->currentText(), "No parity");
    EXPECT_EQ(Selected(dialog_->play()), (std::vector<int>{0}));
    EXPECT_EQ(Selected(dialog_->stop()), (std::vector<int>{1}));
    EXPECT_EQ(dialog_->port()->currentText(), "/tmp/ttyLine");
    EXPECT_EQ(dialog_->address(2)->currentText(), " 23");
}

TEST_F(PbusSetupDialogTest, ApplyStoresEveryChoiceAndCancelNone) {
    dialog_->port()->setEditText("/dev/ttyUSB0");
    dialog_->rate()->setCurrentIndex(5);
    dialog_->parity()->setCurrentIndex(2);
    dialog_->address(1)->setCurrentIndex(9);
    dialog_->play()->item(15)->setSelected(true);
    Button("Apply")->click();
    EXPECT_EQ(dialog_->result(), 1);
    EXPECT_EQ(setup_.port, "/dev/ttyUSB0");
    EXPECT_EQ(setup_.rate, 5u);
    EXPECT_EQ(setup_.parity, 2u);
    EXPECT_EQ(setup_.config.playMask, 0x8005u);
    EXPECT_EQ(setup_.config.stopMask, 0x0002u);
    EXPECT_EQ(setup_.config.addresses, (std::array<uint32_t, 4>{1, 9, 24, 4}));

    PbusSetup other = setup_;
    PbusSetupDialog dialog(other, {}, nullptr);
    dialog.rate()->setCurrentIndex(0);
    dialog.reject();
    EXPECT_EQ(other.rate, 5u);
    Button("Help")->click();
    EXPECT_EQ(help_, 1);
}

}  // namespace
}  // namespace tamberline::testing
