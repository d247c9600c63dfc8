#include "help/ui/qt_help_viewer.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>

namespace tamberline {

namespace {

HelpRect FromQt(const QRect& rect) {
    return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

}  // namespace

QtHelpViewer::~QtHelpViewer() {
    Close();
}

void QtHelpViewer::Restore() {
    if (window_ && window_->isMinimized()) {
        window_->showNormal();
    }
}

HelpRect QtHelpViewer::ConsoleRect() const {
    return FromQt(console_->frameGeometry());
}

HelpRect QtHelpViewer::WorkArea() const {
    const QScreen* screen = console_->screen();
    return screen ? FromQt(screen->availableGeometry()) : ConsoleRect();
}

bool QtHelpViewer::Show(const std::string& folder, const std::string& topic,
                        const HelpRect& where) {
    if (window_ && window_->folder() != folder) {
        Close();
    }
    QWidget* owner = QApplication::activeModalWidget();
    if (!window_) {
        window_ = new HelpWindow(folder, owner);
    } else if (window_->parentWidget() != owner) {
        AttachTo(owner);
    }
    if (auto* dialog = qobject_cast<QDialog*>(owner)) {
        // When the dialog ends the window stays open on its own.
        QObject::connect(dialog, &QDialog::finished, window_, [this, dialog] {
            if (window_ && window_->parentWidget() == dialog) {
                AttachTo(nullptr);
                window_->show();
            }
        });
    }
    window_->setGeometry(
        QRect(QPoint(where.left, where.top), QPoint(where.right - 1, where.bottom - 1)));
    const bool shown = window_->ShowTopic(topic);
    window_->show();
    window_->raise();
    window_->activateWindow();
    return shown;
}

void QtHelpViewer::AttachTo(QWidget* owner) {
    const QRect geometry = window_->geometry();
    window_->setParent(owner, Qt::Window);
    window_->setGeometry(geometry);
}

void QtHelpViewer::Close() {
    delete window_.data();
}

}  // namespace tamberline
