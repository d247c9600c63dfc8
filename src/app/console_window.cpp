#include "app/console_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace tamberline {

namespace {
constexpr int kTickMs = 10;
constexpr int kMinimumHeaderHeight = 30;
}  // namespace

ConsoleWindow::ConsoleWindow(Registry& registry, ConsoleParts& parts)
    : registry_(registry),
      box_(this),
      fileDialog_(this, box_),
      console_(box_, registry, clock_, parts, *this),
      header_(new QLabel) {
    setWindowTitle(QStringLiteral("Tamberline"));
    auto* central = new QWidget;
    central->setAutoFillBackground(true);
    QPalette palette = central->palette();
    palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    central->setPalette(palette);
    header_->setAlignment(Qt::AlignCenter);
    header_->setMinimumHeight(kMinimumHeaderHeight);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(header_);
    layout->addStretch(1);
    setCentralWidget(central);

    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, [this] { console_.Tick(); });
    PlaceOnStoredMonitor();
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
