#include "setup/ui/sample_list_dialog.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "files/path_text.h"

namespace tamberline {

SampleListDialog::SampleListDialog(const SampleListContent& content, ActionFn action,
                                   QWidget* parent)
    : QDialog(parent),
      list_(new QTreeWidget(this)),
      action_(new QPushButton(this)),
      run_(std::move(action)) {
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    QPalette colours = list_->palette();
    colours.setColor(QPalette::Base, QColor(0xE0, 0xE0, 0xE0));
    colours.setColor(QPalette::Text, Qt::black);
    list_->setPalette(colours);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setAutoDefault(false);
    action_->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(action_, &QPushButton::clicked, this, [this] {
        if (run_) {
            Fill(run_());
        }
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(action_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(640, 420);
    Fill(content);
}

void SampleListDialog::Fill(const SampleListContent& content) {
    setWindowTitle(FromBytes(content.title));
    action_->setText(QString::fromStdString(content.actionText));
    action_->setVisible(!content.actionText.empty());
    list_->clear();
    QStringList titles;
    for (const SampleListColumn& column : content.columns) {
        titles << QString::fromStdString(column.title);
    }
    list_->setHeaderLabels(titles);
    for (const std::vector<std::string>& cells : content.rows) {
        auto* row = new QTreeWidgetItem;
        for (size_t c = 0; c < cells.size() && c < content.columns.size(); ++c) {
            row->setText(static_cast<int>(c), FromBytes(cells[c]));
            if (content.columns[c].rightAligned) {
                row->setTextAlignment(static_cast<int>(c), Qt::AlignRight | Qt::AlignVCenter);
            }
        }
        list_->addTopLevelItem(row);
    }
    QHeaderView* header = list_->header();
    header->setStretchLastSection(false);
    for (size_t c = 0; c < content.columns.size(); ++c) {
        const int width = content.columns[c].width;
        if (width < 0) {
            header->setSectionResizeMode(static_cast<int>(c), QHeaderView::Stretch);
        } else {
            header->setSectionResizeMode(static_cast<int>(c), QHeaderView::Interactive);
            list_->setColumnWidth(static_cast<int>(c), width);
        }
    }
}

}  // namespace tamberline
