#include "triggers/ui/midi_ports_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "fake_midi_driver.h"
#include "session/registry.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline::testing {
namespace {

class MidiPortsDialogTest : public ::testing::Test {
protected:
    MidiPortsDialogTest() {
        driver_.inputs = {"Keys"};
        driver_.outputs = {"Desk", "Lights"};
        registry_.SetDword(settings::MidiOutPort("Lights"), 0);
        choices_.Fill();
        dialog_ = std::make_unique<MidiPortsDialog>(choices_);
    }
    QPushButton* Button(const QString& text) {
        for (QPushButton* button : dialog_->findChildren<QPushButton*>()) {
            if (button->text() == text) {
                return button;
            }
        }
        return nullptr;
    }
    void Click(QTreeWidget* list, int row) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        emit list->itemClicked(item, 0);
    }

    TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ScriptedMessageBox box_;
    FakeMidiDriver driver_;
    MidiPortChoices choices_{driver_, registry_, box_};
    std::unique_ptr<MidiPortsDialog> dialog_;
};

TEST_F(MidiPortsDialogTest, ShowsBothListsWithTheirTexts) {
    EXPECT_EQ(dialog_->windowTitle(), "Setup Midi Ports");
    QStringList labels;
    for (QLabel* label : dialog_->findChildren<QLabel*>()) {
        labels << label->text();
    }
    EXPECT_TRUE(labels.contains("Select MIDI input devices."));
    EXPECT_TRUE(labels.contains("Select MIDI output devices."));
    ASSERT_EQ(dialog_->inputs()->topLevelItemCount(), 1);
    ASSERT_EQ(dialog_->outputs()->topLevelItemCount(), 2);
    EXPECT_EQ(dialog_->outputs()->topLevelItem(1)->text(0), "Lights");
    EXPECT_NE(Button("Apply"), nullptr);
    EXPECT_NE(Button("Cancel"), nullptr);
}

TEST_F(MidiPortsDialogTest, ApplyStoresTheClickedChoicesAndEndsWithNine) {
    Click(dialog_->outputs(), 1);  // Lights on
    Click(dialog_->inputs(), 0);   // Keys off
    Button("Apply")->click();
    EXPECT_EQ(dialog_->result(), 9);
    EXPECT_EQ(registry_.Dword(settings::MidiOutPort("Lights")), 9u);
    EXPECT_EQ(registry_.Dword(settings::MidiInPort("Keys")), 0u);
}

TEST_F(MidiPortsDialogTest, CancelStoresNothing) {
    Click(dialog_->outputs(), 1);
    Button("Cancel")->click();
    EXPECT_EQ(dialog_->result(), 0);
    EXPECT_EQ(registry_.Dword(settings::MidiOutPort("Lights")), 0u);
}

TEST_F(MidiPortsDialogTest, ApplyWithNothingChosenEndsWithZero) {
    Click(dialog_->inputs(), 0);
    Click(dialog_->outputs(), 0);
    Button("Apply")->click();
    EXPECT_EQ(dialog_->result(), 0);
}

}  // namespace
}  // namespace tamberline::testing
