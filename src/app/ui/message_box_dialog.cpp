#include "app/ui/message_box_dialog.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace tamberline {

namespace {

QStyle::StandardPixmap IconPixmap(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::kStop: return QStyle::SP_MessageBoxCritical;
        case MessageIcon::kQuestion: return QStyle::SP_MessageBoxQuestion;
        case MessageIcon::kInformation: return QStyle::SP_MessageBoxInformation;
        case MessageIcon::kExclamation: return QStyle::SP_MessageBoxWarning;
    }
    return QStyle::SP_MessageBoxWarning;
}

QRect WorkAreaOf(const QWidget* owner) {
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

}  // namespace

MessageBoxDialog::MessageBoxDialog(QWidget* owner, const std::string& text, unsigned flags)
    : QDialog(owner) {
    setWindowTitle(QString::fromLatin1(kMessageBoxTitle));
    setModal(true);

    auto* iconLabel = new QLabel;
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    iconLabel->setPixmap(style()->standardIcon(IconPixmap(MessageBoxIcon(flags))).pixmap(iconSize));
    iconLabel->setAlignment(Qt::AlignTop);
    auto* textLabel = new QLabel(QString::fromStdString(text + "\n"));
    textLabel->setTextFormat(Qt::PlainText);

    auto* top = new QHBoxLayout;
    top->addWidget(iconLabel);
    top->addWidget(textLabel, 1);

    const std::vector<std::string> captions = MessageBoxButtons(flags);
    const QFontMetrics metrics(font());
    int width = 75;
    for (const std::string& caption : captions) {
        width = std::max(width, metrics.horizontalAdvance(QString::fromStdString(caption)) + 16);
    }
    const int height = std::max(25, metrics.height() + 8);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    const int defaultButton = MessageBoxDefaultButton(flags);
    for (size_t i = 0; i < captions.size(); ++i) {
        auto* button = new QPushButton(QString::fromStdString(captions[i]));
        button->setFixedSize(width, height);
        const int result = MessageBoxResultFor(flags, static_cast<int>(i));
        connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        if (static_cast<int>(i) == defaultButton) {
            button->setDefault(true);
            button->setFocus();
        }
        buttons->addWidget(button);
    }
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void MessageBoxDialog::Place(BoxPlacement placement) {
    adjustSize();
    QWidget* owner = parentWidget();
    if (placement.kind == BoxPlacement::Kind::kCentred) {
        const QRect area = owner ? owner->frameGeometry() : WorkAreaOf(nullptr);
        move(area.center() - rect().center());
        return;
    }
    QPoint corner = placement.kind == BoxPlacement::Kind::kAtPointer
                        ? QCursor::pos()
                        : QPoint(placement.x, placement.y);
    const QRect area = WorkAreaOf(owner);
    const QSize size = frameGeometry().size();
    if (!area.isNull()) {
        corner.setX(std::max(area.left(), std::min(corner.x(), area.right() + 1 - size.width())));
        corner.setY(std::max(area.top(), std::min(corner.y(), area.bottom() + 1 - size.height())));
    }
    move(corner);
}

int WidgetMessageBox::Show(const std::string& text, unsigned flags, BoxPlacement placement) {
    if (MessageBoxButtons(flags).empty()) {
        return kResultNone;
    }
    MessageBoxDialog dialog(owner_, text, flags);
    dialog.Place(placement);
    open_ = &dialog;
    const int result = dialog.exec();
    open_ = nullptr;
    return result;
}

void WidgetMessageBox::CloseOpenBox() {
    if (open_) {
        open_->CloseByPeer();
    }
}

}  // namespace tamberline
