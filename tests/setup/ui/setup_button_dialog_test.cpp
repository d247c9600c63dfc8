#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstring>

#include "files/ui/folder_tree.h"
#include "session/settings.h"
#include "setup/setup_texts.h"
#include "setup/ui/sample_browser.h"
#include "setup/ui/setup_fixture.h"
#include "triggers/key_triggers.h"

namespace tamberline::testing {
namespace {

class SetupButtonDialogTest : public SetupDialogTest {
protected:
    std::unique_ptr<SetupButtonDialog> Open(const ButtonRecord& record, int button = 11) {
        auto dialog = std::make_unique<SetupButtonDialog>(Services(), button, record);
        dialog->show();
        return dialog;
    }
    ButtonRecord Assigned(const std::string& path, uint32_t durationMs) {
        ButtonRecord r{};
        SetPath(r, path);
        SetCaption(r, "Cue");
        r.status = STATUS_ASSIGNED;
        r.volume = 100;
        r.pan = 100;
        r.varispeed = 100;
        r.durationMs = durationMs;
        r.colour = 0x00FF00;
        return r;
    }
    static QTreeWidgetItem* Row(SetupButtonDialog& d, const QString& name) {
        const auto rows = d.browser().list().findItems(name, Qt::MatchExactly);
        return rows.isEmpty() ? nullptr : rows.front();
    }
    static void ClickRow(SetupButtonDialog& d, QTreeWidgetItem* row) {
        QTreeWidget& list = d.browser().list();
        list.scrollToItem(row);
        QCoreApplication::processEvents();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(row).center());
    }
    std::string LastText() const {
        const std::vector<std::string> texts = box_.Texts();
        return texts.empty() ? std::string("(none)") : texts.back();
    }
    static ButtonRecord Ok(SetupButtonDialog& d) {
        QTest::mouseClick(d.button(QStringLiteral("ok")), Qt::LeftButton);
        return d.result();
    }
};

TEST_F(SetupButtonDialogTest, ClickingAFileAssignsItAndOkHandsBackTheRecord) {
    Wav("Door Bell.wav", 1500);
    registry_.SetDword(settings::kButtonColour, 0x00FFFF);
    auto d = Open(ButtonRecord{});
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Setup Button 12"));
    EXPECT_EQ(d->midiNote().itemText(61), QStringLiteral("C# note 61"));
    EXPECT_EQ(d->outputs().itemText(0).trimmed().right(11), QStringLiteral("Test Sink A"));
    QTreeWidgetItem* row = Row(*d, QStringLiteral("Door Bell.wav"));
    ASSERT_NE(row, nullptr);
    ClickRow(*d, row);
    EXPECT_EQ(d->caption().toPlainText(), QStringLiteral("Door Bell"));
    EXPECT_EQ(d->swatch().text(), QStringLiteral("0:01"));  // 1.5 s shown as 0:01
    const ButtonRecord r = Ok(*d);
    EXPECT_EQ(PathOf(r), Folder() + "Door Bell.wav");
    EXPECT_EQ(CaptionOf(r), "Door Bell");
    EXPECT_EQ(r.status, STATUS_ASSIGNED);
    EXPECT_EQ(r.colour, 0x00FFFFu);
    EXPECT_NEAR(static_cast<int>(r.durationMs), 1500, 50);
    EXPECT_EQ(registry_.String(settings::kFileFolder), Folder());
}

TEST_F(SetupButtonDialogTest, FileThatCannotPlayIsReportedAndTheRecordKept) {
    samples_.Write("noise.wav", "not audio at all");
    const ButtonRecord before = Assigned(Wav("good.wav", 500), 500);
    auto d = Open(before);
    ClickRow(*d, Row(*d, QStringLiteral("noise.wav")));
    ASSERT_EQ(box_.Texts().size(), 1u);
    EXPECT_EQ(box_.Texts()[0], "noise.wav\nDirectX cannot play this file.\n");
    const ButtonRecord r = Ok(*d);
    EXPECT_EQ(PathOf(r), PathOf(before));
}

TEST_F(SetupButtonDialogTest, KeyCaptureTakesF10AndNeverEsc) {
    records_->at(3).status = STATUS_ASSIGNED;
    records_->at(3).triggerKey = vk::kF10;
    auto d = Open(Assigned(Wav("a.wav", 500), 500));
    d->keyBox().setFocus();
    QTest::keyClick(&d->keyBox(), Qt::Key_F10);
    EXPECT_EQ(d->keyBox().text().trimmed(), QStringLiteral("F10"));
    EXPECT_EQ(box_.Texts(),
              (std::vector<std::string>{"Button(s) also triggered by this key:\n4 "}));
    QTest::keyClick(&d->keyBox(), Qt::Key_Escape);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(Ok(*d).triggerKey, vk::kF10);
}

TEST_F(SetupButtonDialogTest, ScrollBarsSetLevelsAndSpeedRescalesTheDuration) {
    auto d = Open(Assigned(Wav("a.wav", 500), 10'000));
    d->volume().triggerAction(QAbstractSlider::SliderPageStepSub);
    d->volume().triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(d->volumeText().text(), QStringLiteral("-11 dB"));
    d->pan().triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(d->panText().text(), QStringLiteral("Left 10%"));
    for (int k = 0; k < 5; ++k) {
        d->varispeed().triggerAction(QAbstractSlider::SliderPageStepSub);
    }
    EXPECT_EQ(d->varispeedText().text(), QStringLiteral("-50%"));
    EXPECT_EQ(d->model().record().durationMs, 20'000u);
    d->varispeed().setValue(100);
    EXPECT_EQ(d->model().record().durationMs, 10'000u);
    d->volume().setValue(-30);  // the bar's range bounds the value
    const ButtonRecord r = Ok(*d);
    EXPECT_EQ(r.volume, 0);
    EXPECT_EQ(r.pan, 90);
    EXPECT_EQ(r.varispeed, 100);
}

TEST_F(SetupButtonDialogTest, TimecodeAndFadesAreTypedIn) {
    auto d = Open(Assigned(Wav("a.wav", 500), 10'000));
    d->startTime().setFocus();
    QTest::keyClicks(&d->startTime(), QStringLiteral("1x2y3"));
    QTest::keyClick(&d->startTime(), Qt::Key_Return);
    EXPECT_EQ(d->startTime().text(), QStringLiteral("00:00:01:23"));
    d->fadeOut().setValue(30);
    d->fadeIn().setFocus();
    d->fadeIn().selectAll();
    QTest::keyClicks(&d->fadeIn(), QStringLiteral("90"));
    EXPECT_EQ(d->fadeIn().value(), 65);
    d->startTime().clear();
    QTest::keyClicks(&d->startTime(), QStringLiteral("--"));
    QTest::keyClick(&d->startTime(), Qt::Key_Enter);
    EXPECT_EQ(d->startTime().text(), QString());
    QTest::keyClicks(&d->startTime(), QStringLiteral("25000000"));
    QTest::mouseClick(d->button(QStringLiteral("stop")), Qt::LeftButton);  // leaving the box
    d->startTime().clearFocus();
    const ButtonRecord r = Ok(*d);
    EXPECT_EQ(r.fadeIn, 65);
    EXPECT_EQ(r.fadeOut, 30);
    EXPECT_EQ(TimecodeText(r.startTime), "01:00:00:00");
    EXPECT_EQ(r.startTimeOn, 1);
}

TEST_F(SetupButtonDialogTest, FlagsGameTriggerAndLongCaption) {
    records_->at(4).status = STATUS_ASSIGNED;
    records_->at(4).gameTrigger = 18;
    auto d = Open(Assigned(Wav("a.wav", 500), 500));
    QTest::mouseClick(&d->box(0), Qt::LeftButton, {}, QPoint(6, 6));  // play while triggered
    QTest::mouseClick(&d->box(4), Qt::LeftButton, {}, QPoint(6, 6));  // group 1
    QTest::mouseClick(&d->loopBox(), Qt::LeftButton, {}, QPoint(6, 6));
    d->startGroup().setCurrentIndex(3);
    emit d->startGroup().activated(3);
    d->gameTrigger().setCurrentIndex(18);
    emit d->gameTrigger().activated(18);
    EXPECT_EQ(d->gameTrigger().itemText(18), QStringLiteral("Stick 2 : button 2"));
    d->gameTrigger().setCurrentIndex(1);
    emit d->gameTrigger().activated(1);
    EXPECT_EQ(d->gameTrigger().itemText(18), QStringLiteral("          button 2"));
    EXPECT_EQ(box_.Texts(), (std::vector<std::string>{"Button(s) also triggered by this\n5 "}));
    QString caption(300, QLatin1Char('c'));
    caption.insert(10, QStringLiteral("\n"));
    d->caption().setPlainText(caption);
    const ButtonRecord r = Ok(*d);
    EXPECT_EQ(r.flags, kFlagPlayWhileTriggered | kFlagStopGroup1);
    EXPECT_EQ(r.loop, 1);
    EXPECT_EQ(r.startGroup, 3);
    EXPECT_EQ(r.gameTrigger, 1);
    const std::string stored(CaptionOf(r));
    EXPECT_EQ(stored.size(), 255u);
    EXPECT_EQ(stored.substr(10, 2), "\r\n");
}

TEST_F(SetupButtonDialogTest, ClearAndPlayWithoutSample) {
    registry_.SetDword(settings::kButtonOutput, 1);
    auto d = Open(Assigned(Wav("a.wav", 500), 500));
    QTest::mouseClick(d->button(QStringLiteral("clear")), Qt::LeftButton);
    QTest::mouseClick(d->button(QStringLiteral("play")), Qt::LeftButton);
    EXPECT_EQ(box_.Texts(),
              (std::vector<std::string>{"No sample file loaded.\nClick in the list to load."}));
    EXPECT_TRUE(IsZeroRecord(Ok(*d)));
}

TEST_F(SetupButtonDialogTest, ColourChoiceIsStored) {
    auto d = Open(Assigned(Wav("a.wav", 500), 500));
    d->ChooseColour();
    EXPECT_EQ(registry_.Dword(settings::kButtonColour), 0x0000FFu);
    EXPECT_EQ(registry_.Dword(settings::CustomColour(3)), 0x112233u);
    EXPECT_EQ(registry_.Dword(settings::CustomColour(4)), 0xE0E0E0u);
    EXPECT_EQ(Ok(*d).colour, 0x0000FFu);
}

TEST_F(SetupButtonDialogTest, PreviewPlaysOnTheChosenCardAndIsLogged) {
    const std::string path = Wav("a.wav", 400);
    auto d = Open(Assigned(path, 400));
    d->outputs().setCurrentIndex(1);
    emit d->outputs().activated(1);
    QTest::mouseClick(d->button(QStringLiteral("play")), Qt::LeftButton);
    EXPECT_TRUE(box_.Texts().empty());
    EXPECT_EQ(catalog_.created.back(), "Zed");
    EXPECT_TRUE(d->preview().IsPlaying());
    EXPECT_TRUE(d->swatch().playing());
    // The fake card plays as fast as it can: the end comes at once.
    QTRY_VERIFY_WITH_TIMEOUT(!d->preview().IsPlaying(), 5000);
    QTRY_VERIFY(!d->swatch().playing());
    QTest::mouseClick(d->button(QStringLiteral("cancel")), Qt::LeftButton);
    const std::string logText = dir_.Read(kRunLogName);
    EXPECT_NE(logText.find("a.wav\tCue\t"), std::string::npos) << logText;
}

// Answers the next modal dialog of type T once it is up.
template <typename T>
void AnswerModal(std::function<void(T&)> answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (auto* modal = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            answer(*modal);
        }
    });
    poll->start(20);
}

TEST_F(SetupButtonDialogTest, RenamingAnOutputKeepsTheButtonOnIt) {
    ButtonRecord r = Assigned(Wav("a.wav", 500), 500);
    r.output = 1;  // "Zed", listed after "Test Sink A"
    auto d = Open(r);
    AnswerModal<RenameOutputDialog>([](RenameOutputDialog& rename) {
        EXPECT_EQ(rename.windowTitle(), QStringLiteral("Rename Output Path."));
        rename.edit().setText(QStringLiteral("Alpha"));
        rename.accept();
    });
    d->RenameOutput();
    EXPECT_EQ(renamed_, (std::vector<std::pair<int, std::string>>{{1, "Alpha"}}));
    EXPECT_EQ(registry_.String(settings::OutputUserName("Zed")), "Alpha");
    // "Alpha" now sorts first: the button follows its output.
    EXPECT_EQ(d->model().record().output, 0);
    EXPECT_TRUE(d->outputs().itemText(0).contains(QStringLiteral("Alpha")));
    // An empty name gives the device's own name back, first letter and all.
    d->outputs().setCurrentIndex(0);
    AnswerModal<RenameOutputDialog>([](RenameOutputDialog& rename) {
        rename.edit().clear();
        rename.accept();
    });
    d->RenameOutput();
    EXPECT_EQ(table_.entries[1].displayName, "Zed");
    EXPECT_EQ(d->model().record().output, 1);
    // Rows past the outputs cannot be renamed.
    d->outputs().setCurrentIndex(5);
    d->RenameOutput();
    EXPECT_EQ(LastText(), "Cannot rename an unavailable output.");
    EXPECT_EQ(Ok(*d).output, 1);
}

TEST_F(SetupButtonDialogTest, DigListsTheIndexedFilesOverTheControls) {
    if (QStandardPaths::findExecutable(QStringLiteral("updatedb")).isEmpty()) {
        GTEST_SKIP() << "plocate is not installed (scripts/install-deps.sh)";
    }
    auto d0 = Open(ButtonRecord{});
    QTest::keyClicks(&d0->searchEdit(), QStringLiteral("bell"));
    QTest::keyClick(&d0->searchEdit(), Qt::Key_Return);
    EXPECT_EQ(LastText(), "Digging is only available when the\nWindows Search Service is running.");
    EXPECT_TRUE(d0->searchEdit().text().isEmpty());
    d0.reset();

    Wav("Bell One.wav", 300);
    samples_.Write("bells.txt", "x");
    const std::string db = dir_.File("files.db");
    ASSERT_EQ(QProcess::execute(
                  QStringLiteral("updatedb"),
                  {QStringLiteral("-U"), QString::fromStdString(samples_.Path()),
                   QStringLiteral("-o"), QString::fromStdString(db), QStringLiteral("--prunepaths"),
                   QString(), QStringLiteral("-l"), QStringLiteral("no")}),
              0);
    search_ = std::make_unique<SearchIndex>(db, "plocate", [](const std::string&) { return true; });
    auto d = Open(ButtonRecord{});
    QTest::keyClicks(&d->searchEdit(), QStringLiteral("bell's"));
    QTest::keyClick(&d->searchEdit(), Qt::Key_Return);
    EXPECT_EQ(LastText(), "Use no punctuation in a search term\nexcept for space or fullstop.");
    QTest::keyClicks(&d->searchEdit(), QStringLiteral("zzz"));
    QTest::keyClick(&d->searchEdit(), Qt::Key_Return);
    EXPECT_EQ(LastText(), "No matching files found.\n\n");
    d->searchEdit().clear();
    QTest::keyClicks(&d->searchEdit(), QStringLiteral("BELL"));
    QTest::keyClick(&d->searchEdit(), Qt::Key_Return);
    QListWidget& results = d->digResults();
    ASSERT_TRUE(results.isVisible());
    EXPECT_EQ(results.count(), 2);
    EXPECT_FALSE(d->outputs().isVisible());
    EXPECT_FALSE(d->box(0).isVisible());
    const auto hits = results.findItems(QStringLiteral("Bell One.wav"), Qt::MatchExactly);
    ASSERT_EQ(hits.size(), 1);
    QTest::mouseClick(results.viewport(), Qt::LeftButton, {},
                      results.visualItemRect(hits.front()).center());
    EXPECT_FALSE(results.isVisible());
    EXPECT_TRUE(d->outputs().isVisible());
    EXPECT_TRUE(d->searchEdit().text().isEmpty());
    EXPECT_EQ(PathOf(Ok(*d)), Folder() + "Bell One.wav");
}

}  // namespace
}  // namespace tamberline::testing

namespace tamberline::testing {
namespace {

class SetupListTest : public SetupDialogTest {};

TEST_F(SetupListTest, ShowTriggersAndShowDataOpenTheListDialog) {
    records_->at(0).status = STATUS_ASSIGNED;
    records_->at(0).triggerKey = 'Q';
    const std::string a = Wav("a.wav", 1000);
    const std::string list = samples_.Write("act.m3u", a + "\n" + samples_.File("gone.wav") + "\n");
    std::vector<SampleListContent> shown;
    SetupDialogServices services = Services();
    services.showList = [&shown](const SampleListContent& content,
                                 std::function<SampleListContent()> action) {
        shown.push_back(content);
        if (action) {
            shown.push_back(action());
        }
    };
    int edits = 0;
    services.editSonglist = [&edits, list](const std::string& path) {
        EXPECT_EQ(path, list);
        ++edits;
    };
    ButtonRecord r{};
    r.varispeed = 100;
    SetupButtonDialog d(services, 4, r);
    d.show();
    d.model().AssignFile(list);
    EXPECT_EQ(box_.Texts(),
              (std::vector<std::string>{"Not all the files in the songlist\ncould be found."}));
    d.model().CaptureKey('W');
    d.ShowTriggers();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Session triggers.");
    ASSERT_EQ(shown[0].rows.size(), 2u);
    EXPECT_EQ(shown[0].rows[1][0], " 5");  // the working copy, not yet stored
    EXPECT_EQ(shown[0].rows[1][1], "W");
    shown.clear();
    d.ShowData();
    ASSERT_EQ(shown.size(), 2u);  // the list, and the list again after "Edit"
    EXPECT_EQ(shown[0].title, "SongList - " + list);
    ASSERT_EQ(shown[0].rows.size(), 3u);
    EXPECT_EQ(shown[0].rows[0][2], "00:01.0");
    EXPECT_EQ(shown[0].rows[1][2], "Not Found");
    EXPECT_EQ(edits, 1);
}

}  // namespace
}  // namespace tamberline::testing
