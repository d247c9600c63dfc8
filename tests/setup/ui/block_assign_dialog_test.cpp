#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <cstring>

#include "session/settings.h"
#include "setup/ui/block_assign_dialog.h"
#include "setup/ui/sample_browser.h"
#include "setup/ui/setup_fixture.h"

namespace tamberline::testing {
namespace {

class BlockAssignDialogTest : public SetupDialogTest {
protected:
    std::vector<ButtonRecord> Block(size_t n) {
        std::vector<ButtonRecord> block;
        for (size_t k = 0; k < n; ++k) {
            ButtonRecord r{};
            const std::string name = "s" + std::to_string(k) + ".wav";
            SetPath(r, Wav(name, 200));
            SetCaption(r, name);
            r.status = STATUS_ASSIGNED;
            r.volume = 90;
            r.pan = 100;
            r.varispeed = 100;
            r.midiNote = static_cast<uint8_t>(k + 1);
            r.colour = 0x445566;
            block.push_back(r);
        }
        return block;
    }
    std::unique_ptr<BlockAssignDialog> Open(std::vector<ButtonRecord> block) {
        auto dialog = std::make_unique<BlockAssignDialog>(Services(), std::move(block));
        dialog->show();
        return dialog;
    }
    static void Tick(BlockAssignDialog& d, uint32_t bit, bool on) {
        if (d.setBox(bit).isChecked() != on) {
            QCheckBox& box = d.setBox(bit);
            QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(6, box.height() / 2));
        }
        ASSERT_EQ(d.setBox(bit).isChecked(), on);
    }
    static void Ok(BlockAssignDialog& d) {
        QTest::mouseClick(d.button(QStringLiteral("ok")), Qt::LeftButton);
    }
};

TEST_F(BlockAssignDialogTest, KeysNumberedFromTheChosenLetter) {
    auto d = Open(Block(8));
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Block assign."));
    Tick(*d, block::kKeys, true);
    EXPECT_EQ(d->setBox(block::kKeys).text(), QStringLiteral("Set key triggers, start at"));
    EXPECT_TRUE(d->startKey().isVisible());
    d->startKey().setCurrentIndex(6);  // " Y"
    Ok(*d);
    std::string keys;
    for (const ButtonRecord& r : d->model().records()) {
        keys += static_cast<char>(r.triggerKey);
    }
    EXPECT_EQ(keys, "YUIOPASD");
    EXPECT_EQ(registry_.Dword(settings::kBlockMask), block::kKeys);
}

TEST_F(BlockAssignDialogTest, VolumeOnlyLeavesEveryOtherByteAndTheMarkedSamples) {
    registry_.SetDword(settings::kBlockMask, block::kSamples | block::kVolume);
    const std::vector<ButtonRecord> before = Block(3);
    auto d = Open(before);
    // The block's files are marked, and an untouched marking keeps them.
    EXPECT_EQ(d->browser().SelectedNames(),
              (std::vector<std::string>{"s0.wav", "s1.wav", "s2.wav"}));
    EXPECT_TRUE(d->setBox(block::kSamples).isChecked());
    EXPECT_TRUE(d->browser().isVisible());
    d->volume().triggerAction(QAbstractSlider::SliderPageStepSub);
    Ok(*d);
    for (size_t k = 0; k < before.size(); ++k) {
        ButtonRecord want = before[k];
        want.volume = 80;
        EXPECT_EQ(std::memcmp(&d->model().records()[k], &want, sizeof want), 0) << k;
    }
    EXPECT_EQ(d->newFiles(), (std::vector<bool>{false, false, false}));
}

TEST_F(BlockAssignDialogTest, ChosenFilesSpreadAndClearedSelectionEmpties) {
    Wav("x.wav", 200);
    Wav("y.wav", 200);
    registry_.SetDword(settings::kBlockMask, block::kSamples);
    auto d = Open(Block(4));
    QTreeWidget& list = d->browser().list();
    list.clearSelection();
    for (const char* name : {"x.wav", "y.wav"}) {
        list.findItems(QString::fromLatin1(name), Qt::MatchExactly).front()->setSelected(true);
    }
    Ok(*d);
    std::vector<std::string> paths;
    for (const ButtonRecord& r : d->model().records()) {
        paths.push_back(std::string(CaptionOf(r)));
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"x", "y", "x", "y"}));
    EXPECT_EQ(d->newFiles(), (std::vector<bool>{true, true, true, true}));

    auto e = Open(Block(2));
    QTest::mouseClick(e->button(QStringLiteral("clear")), Qt::LeftButton);
    Ok(*e);
    for (const ButtonRecord& r : e->model().records()) {
        EXPECT_TRUE(IsZeroRecord(r));
    }
}

TEST_F(BlockAssignDialogTest, UntickedGroupsHideTheirControlsAndOutputsAreNotRenamedHere) {
    registry_.SetDword(settings::kBlockMask, 0);
    auto d = Open(Block(2));
    EXPECT_FALSE(d->browser().isVisible());
    EXPECT_FALSE(d->startNote().isVisible());
    EXPECT_EQ(d->setBox(block::kMidi).text(), QStringLiteral("Set MIDI triggers"));
    Tick(*d, block::kPan, true);
    EXPECT_EQ(d->panText().text(), QStringLiteral("Centre"));
    d->pan().triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(d->panText().text(), QStringLiteral("Right 10%"));
    emit d->outputs().customContextMenuRequested({});
    EXPECT_EQ(box_.Texts(), (std::vector<std::string>{"Rename outputs from the\nSetup page."}));
    Tick(*d, block::kMidi, true);
    d->startNote().setCurrentIndex(126);
    Ok(*d);
    EXPECT_EQ(d->model().records()[0].midiNote, 126);
    EXPECT_EQ(d->model().records()[1].midiNote, 127);
    EXPECT_EQ(d->model().records()[1].pan, 110);
}

TEST_F(BlockAssignDialogTest, HelpButtonAndF1OpenTheBlockAssignPage) {
    std::vector<std::string> topics;
    SetupDialogServices services = Services();
    services.showHelp = [&topics](const std::string& topic) { topics.push_back(topic); };
    BlockAssignDialog d(services, Block(2));
    d.show();
    QTest::mouseClick(d.button(QStringLiteral("help")), Qt::LeftButton);
    EXPECT_EQ(d.button(QStringLiteral("help"))->text(), QStringLiteral("Help"));
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    QTest::keyClick(&d, Qt::Key_F1);
    EXPECT_EQ(topics, (std::vector<std::string>{"BlockAssign.htm", "BlockAssign.htm"}));
    EXPECT_TRUE(d.isVisible()) << "help leaves the dialog open";
}

}  // namespace
}  // namespace tamberline::testing
