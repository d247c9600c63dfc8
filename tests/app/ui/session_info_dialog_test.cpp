#include "app/ui/session_info_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeView>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "session/run_log.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline::testing {
namespace {

QString Cell(QTreeView& list, int row, int column) {
    return list.model()->index(row, column).data().toString();
}

class SessionInfoLogTest : public ::testing::Test {
protected:
    void WriteLog(int entries, const std::string& extra = "") {
        std::ofstream out(log_.Path(), std::ios::binary);
        out << "Session\tFilename\tCaption\tStart\tRuntime\t\r\n"
            << "04.03.2026 08:00:01  Act One\tbang.wav\tBang\t09:05:07\t1:01\t\r\n";
        for (int k = 1; k < entries; ++k) {
            out << "\tcue " << k << ".wav\tCue " << k << "\t09:05:08\t0:01\t\r\n";
        }
        out << extra;
    }

    TempDir dir_;
    RunLog log_{dir_.Path()};
    ScriptedMessageBox box_;
};

TEST_F(SessionInfoLogTest, ListsTheEntriesThenTheHeadingTheNextEntryWillCarry) {
    WriteLog(2, "\tbad\xff.wav\tX\t10:00:00\t0:01\t\r\n");
    log_.NoteSessionLoaded("/shows/Act Two.dbf", {2026, 3, 4, 12, 0, 9});
    SessionInfoDialog dialog(log_, box_);
    EXPECT_EQ(dialog.windowTitle(), QString::fromStdString(log_.Path()));
    QTreeView& list = dialog.list();
    const QStringList titles{"Session", "File", "Caption", "Start", "Run time"};
    ASSERT_EQ(list.model()->columnCount(), titles.size());
    for (int c = 0; c < titles.size(); ++c) {
        EXPECT_EQ(list.model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
    }
    ASSERT_EQ(list.model()->rowCount(), 4);
    EXPECT_EQ(Cell(list, 0, 0), "04.03.2026 08:00:01  Act One");
    EXPECT_EQ(Cell(list, 1, 1), "cue 1.wav");
    EXPECT_EQ(Cell(list, 1, 4), "0:01");
    EXPECT_EQ(Cell(list, 2, 1), QString::fromUtf8("bad\xef\xbf\xbd.wav"));
    EXPECT_EQ(Cell(list, 3, 0), "04.03.2026 12:00:09  Act Two");
    EXPECT_EQ(Cell(list, 3, 1), "");
    EXPECT_TRUE(list.model()->index(0, 3).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    EXPECT_FALSE(list.model()->index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    EXPECT_TRUE(dialog.deleteButton().isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.printButton().isVisibleTo(&dialog));
    dialog.show();
    EXPECT_EQ(list.columnWidth(0), std::max(270, list.viewport()->width() - 500));
}

TEST_F(SessionInfoLogTest, DeleteLogAsksThenEmptiesTheListAndStartsAFreshLog) {
    WriteLog(3);
    SessionInfoDialog dialog(log_, box_);
    box_.Answer("No");
    dialog.deleteButton().click();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(log_.Path())));
    EXPECT_EQ(dialog.list().model()->rowCount(), 3);
    box_.Answer("Yes");
    dialog.deleteButton().click();
    EXPECT_EQ(box_.Texts(),
              std::vector<std::string>(2, "\nAre you sure you want to delete the log ?"));
    EXPECT_EQ(box_.shown()[0].flags, mb::kYesNoCancel | mb::kIconQuestion);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(log_.Path())));
    EXPECT_EQ(dialog.list().model()->rowCount(), 0);
    EXPECT_EQ(dialog.list().columnWidth(0), 270);
    EXPECT_TRUE(log_.SessionHeaderPending());
}

// Ink on each page of a PDF, as pdftoppm draws them.
std::vector<int> InkPerPage(const QString& pdf, const QString& folder) {
    std::vector<int> ink;
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) {
        return ink;
    }
    QProcess render;
    render.start("pdftoppm", {"-r", "40", "-png", pdf, folder + "/page"});
    if (!render.waitForFinished(120'000) || render.exitCode() != 0) {
        return ink;
    }
    QStringList pages = QDir(folder).entryList({"page*.png"}, QDir::Files, QDir::Name);
    for (const QString& name : pages) {
        const QImage page(folder + "/" + name);
        int dark = 0;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x) {
                dark += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
            }
        }
        ink.push_back(dark);
    }
    return ink;
}

TEST_F(SessionInfoLogTest, PrintsOnThePrinterChosenInTheDialog) {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) {
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    }
    WriteLog(150);
    SessionInfoDialog dialog(log_, box_);
    const QString pdf = QString::fromStdString(dir_.File("log.pdf"));
    int asked = 0;
    dialog.SetPrinterChooser([&](QPrinter& printer, QWidget* parent) {
        ++asked;
        EXPECT_EQ(parent, &dialog);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    dialog.printButton().click();
    EXPECT_EQ(asked, 1);
    ASSERT_TRUE(QFile::exists(pdf));
    const QString pages = QString::fromStdString(dir_.File("pages"));
    QDir().mkpath(pages);
    const std::vector<int> ink = InkPerPage(pdf, pages);
    ASSERT_GE(ink.size(), 2u) << "150 entries fill more than one page";
    for (int dark : ink) {
        EXPECT_GT(dark, 200) << "every page carries its heading and rows";
    }
    EXPECT_LT(ink.back(), ink.front()) << "the last page is only partly filled";
}

TEST_F(SessionInfoLogTest, CancelledPrintDialogPrintsNothing) {
    WriteLog(2);
    SessionInfoDialog dialog(log_, box_);
    bool seen = false;
    bool printToFile = true;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* print = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
            seen = true;
            printToFile = print->testOption(QAbstractPrintDialog::PrintToFile);
            print->reject();
        }
    });
    poll.start(20);
    dialog.printButton().click();
    EXPECT_TRUE(seen) << "Qt's print dialog asks for the printer";
    EXPECT_FALSE(printToFile);
}

TEST(SessionInfoListingTest, EveryButtonOfTheSessionAndOnlyClose) {
    auto records = std::make_unique<RecordArray>();
    (*records)[0].status = STATUS_ASSIGNED;
    SetPath((*records)[0], "/shows/intro.wav");
    SetCaption((*records)[0], "Intro");
    SessionInfoDialog dialog("/shows/Act.dbf", *records);
    EXPECT_EQ(dialog.windowTitle(), "Session  /shows/Act.dbf - 1 buttons loaded.");
    EXPECT_FALSE(dialog.deleteButton().isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.printButton().isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.closeButton().isVisibleTo(&dialog));
    QTreeView& list = dialog.list();
    EXPECT_EQ(list.model()->columnCount(), 21);
    EXPECT_EQ(list.model()->rowCount(), 8 * 44);
    EXPECT_EQ(Cell(list, 0, 0), "Page 1");
    EXPECT_EQ(Cell(list, 1, 1), "Intro");
    EXPECT_EQ(Cell(list, 1, 2), "/shows/intro.wav");
    EXPECT_EQ(list.columnWidth(2), 250);
    dialog.show();
    dialog.layout()->activate();
    const int middle = dialog.closeButton().geometry().center().x();
    EXPECT_LE(std::abs(middle - dialog.width() / 2), 10) << "Close is centred";
}

}  // namespace
}  // namespace tamberline::testing
