#include "setup/ui/lost_sample_list_dialog.h"

#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tamberline {

LostSampleListDialog::LostSampleListDialog(const std::vector<std::string>& lines, bool anyLost,
                                           QWidget* parent)
    : QDialog(parent),
      list_(new QListWidget(this)),
      clear_(new QPushButton(QStringLiteral("Clear Lost Samples"), this)),
      find_(new QPushButton(QStringLiteral("Find"), this)),
      close_(new QPushButton(anyLost ? QStringLiteral("Ignore") : QStringLiteral("Close"), this)) {
    setWindowTitle(QStringLiteral("Samples lost or changed."));
    QPalette colours = list_->palette();
    colours.setColor(QPalette::Base, QColor(0xE0, 0xE0, 0xE0));
    colours.setColor(QPalette::Text, Qt::black);
    list_->setPalette(colours);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    int widest = 0;
    const QFontMetrics metrics = list_->fontMetrics();
    for (const std::string& line : lines) {
        const QString text = QFile::decodeName(QByteArray::fromStdString(line));
        list_->addItem(text);
        widest = std::max(widest, metrics.horizontalAdvance(text));
    }
    // The list scrolls sideways as far as its longest line.
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setMinimumWidth(std::min(widest + 20, 900));
    clear_->setVisible(anyLost);
    find_->setVisible(anyLost);
    for (QPushButton* button : {clear_, find_, close_}) {
        button->setAutoDefault(false);
    }
    connect(clear_, &QPushButton::clicked, this, [this] { done(kClearLostSamples); });
    connect(find_, &QPushButton::clicked, this, [this] { done(kFind); });
    connect(close_, &QPushButton::clicked, this, [this] { done(kIgnore); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(clear_);
    buttons->addStretch();
    buttons->addWidget(find_);
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(std::max(480, std::min(widest + 60, 900)), 360);
}

}  // namespace tamberline
