#include "app/console_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>

namespace tamberline {

namespace {
constexpr int kTickMs = 10;
constexpr int kMinimumHeaderHeight = 30;
constexpr int kModalRetryMs = 200;
}  // namespace

ConsoleWindow::ConsoleWindow(Registry& registry)
    : registry_(registry),
      box_(this),
      fileDialog_(this, box_),
      parts_(registry, box_, [this](const std::string& text) { ShowHeaderMessage(text); }),
      console_(box_, fileDialog_, registry, clock_, parts_, *this),
      header_(new QLabel),
      title_(new QLabel) {
    setWindowTitle(QStringLiteral("Tamberline"));
    auto* central = new QWidget;
    central->setAutoFillBackground(true);
    QPalette palette = central->palette();
    palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    central->setPalette(palette);
    header_->setStyleSheet(QStringLiteral("color: white; background: #FF0000; padding: 4px;"));
    header_->hide();
    title_->setAlignment(Qt::AlignCenter);
    title_->setMinimumHeight(kMinimumHeaderHeight);
    auto* band = new QHBoxLayout;
    band->addWidget(header_);
    band->addWidget(title_, 1);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(band);
    layout->addStretch(1);
    setCentralWidget(central);

    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, [this] { console_.Tick(); });
    BuildFileMenu();
    PlaceOnStoredMonitor();
}

void ConsoleWindow::BuildFileMenu() {
    Session& session = console_.session();
    fileMenu_ = menuBar()->addMenu(QStringLiteral("File "));
    fileMenu_->addAction(QStringLiteral("New"), this, [&session] { session.NewSession(true); });
    fileMenu_->addAction(QStringLiteral("Open"), this, [&session] { session.OpenSession(); });
    fileMenu_->addAction(QStringLiteral("Save"), this, [&session] { session.SaveSession(); });
    fileMenu_->addAction(QStringLiteral("Save As"), this,
                         [&session] { session.SaveSessionAsCommand(); });
    fileMenu_->addSeparator();
    for (const char* later : {"Read Archive", "Write Archive", "Clone Session"}) {
        fileMenu_->addAction(QString::fromLatin1(later))->setEnabled(false);
    }
    fileMenu_->addSeparator();
    QMenu* recent = fileMenu_->addMenu(QStringLiteral("Recent Sessions"));
    for (int i = 0; i < kRecentCount; ++i) {
        recent_[static_cast<size_t>(i)] =
            recent->addAction(QString(), this, [&session, i] { session.OpenRecent(i); });
    }
    recent->addSeparator();
    recent->addAction(QStringLiteral("Clear list"), this,
                      [&session] { session.ClearRecentList(); });
    undo_ = fileMenu_->addAction(QStringLiteral("Undo"), this, [&session] { session.Undo(); });
    undo_->setEnabled(false);
    fileMenu_->addSeparator();
    fileMenu_->addAction(QStringLiteral("Exit"), this, &QWidget::close);
}

void ConsoleWindow::OpenSessionRequest(const QString& path) {
    // A question already on screen is answered first; the request waits.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(kModalRetryMs, this, [this, path] { OpenSessionRequest(path); });
        return;
    }
    console_.session().OpenSessionRequest(path.toStdString());
}

void ConsoleWindow::ShowTitle(const std::string& title) {
    title_->setText(QString::fromStdString(title));
    setWindowTitle(QStringLiteral("Tamberline - ") + QString::fromStdString(title));
}

void ConsoleWindow::ShowModified(bool modified) {
    fileMenu_->setTitle(modified ? QStringLiteral("File*") : QStringLiteral("File "));
    undo_->setEnabled(modified);
}

void ConsoleWindow::ShowRecentList(const std::array<std::string, kRecentCount>& entries) {
    for (size_t i = 0; i < entries.size(); ++i) {
        recent_[i]->setText(QString::fromStdString(entries[i]));
        recent_[i]->setVisible(entries[i].size() > 3);
    }
}

ConsoleWindow::~ConsoleWindow() {
    if (!tornDown_) {
        console_.Teardown();
    }
}

bool ConsoleWindow::Start(const std::string& commandLine) {
    show();
    return console_.Start(commandLine);
}

void ConsoleWindow::BringToFront() {
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
}

void ConsoleWindow::closeEvent(QCloseEvent* event) {
    if (!console_.Exit()) {
        event->ignore();
        return;
    }
    console_.Teardown();
    tornDown_ = true;
    event->accept();
}

void ConsoleWindow::ShowHeaderMessage(const std::string& text) {
    header_->setText(QString::fromStdString(text));
    header_->setVisible(!text.empty());
}

void ConsoleWindow::SetWaitCursor(bool wait) {
    if (wait) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

MonitorRect ConsoleWindow::CurrentWorkArea() const {
    const QScreen* where = screen();
    if (!where) {
        return {};
    }
    const QRect area = where->availableGeometry();
    return {area.x(), area.y(), area.x() + area.width(), area.y() + area.height()};
}

void ConsoleWindow::PlaceOnStoredMonitor() {
    std::string stored = kDefaultMonitorValue;
    registry_.GetString(kMonitorSetting, stored);
    const MonitorRect rect = ParseMonitorValue(stored);
    const QRect wanted(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
    QScreen* target = QGuiApplication::primaryScreen();
    for (QScreen* candidate : QGuiApplication::screens()) {
        if (candidate->availableGeometry().contains(wanted)) {
            target = candidate;
            break;
        }
    }
    if (target) {
        setGeometry(target->availableGeometry());
    }
}

}  // namespace tamberline
