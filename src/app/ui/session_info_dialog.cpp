#include "app/ui/session_info_dialog.h"

#include <QAbstractTableModel>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPrinter>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <functional>
#include <vector>

#include "app/session_listing.h"
#include "base/message_box.h"
#include "session/run_log.h"

namespace tamberline {

// Rows asked for only as they are shown: a long log is never copied whole
// into the view.
class InfoTableModel final : public QAbstractTableModel {
public:
    using Rows = std::function<size_t()>;
    using Row = std::function<std::vector<std::string>(size_t)>;

    InfoTableModel(std::vector<SampleListColumn> columns, Rows count, Row row)
        : columns_(std::move(columns)), count_(std::move(count)), row_(std::move(row)) {}

    const std::vector<SampleListColumn>& columns() const { return columns_; }
    size_t Count() const { return count_(); }
    QStringList Cells(size_t row) const {
        QStringList cells;
        for (const std::string& cell : row_(row)) {
            // Invalid UTF-8 shows as replacement characters.
            cells << QString::fromUtf8(cell.data(), static_cast<qsizetype>(cell.size()));
        }
        return cells;
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override {
        if (parent.isValid()) {
            return 0;
        }
        return static_cast<int>(std::min<size_t>(count_(), INT32_MAX));
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(columns_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const auto column = static_cast<size_t>(index.column());
        if (role == Qt::TextAlignmentRole) {
            const Qt::Alignment side =
                columns_[column].rightAligned ? Qt::AlignRight : Qt::AlignLeft;
            return static_cast<int>(side | Qt::AlignVCenter);
        }
        if (role != Qt::DisplayRole) {
            return {};
        }
        const std::vector<std::string> cells = row_(static_cast<size_t>(index.row()));
        if (column >= cells.size()) {
            return QString();
        }
        return QString::fromUtf8(cells[column].data(),
                                 static_cast<qsizetype>(cells[column].size()));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            static_cast<size_t>(section) >= columns_.size()) {
            return {};
        }
        return QString::fromStdString(columns_[static_cast<size_t>(section)].title);
    }

private:
    std::vector<SampleListColumn> columns_;
    Rows count_;
    Row row_;
};

namespace {

void SetColumnWidths(QTreeView& list, const std::vector<SampleListColumn>& columns) {
    for (size_t c = 0; c < columns.size(); ++c) {
        list.setColumnWidth(static_cast<int>(c), columns[c].width);
    }
}

}  // namespace

SessionInfoDialog::SessionInfoDialog(bool logMode, QWidget* parent)
    : QDialog(parent),
      list_(new QTreeView(this)),
      delete_(new QPushButton(QStringLiteral("Delete Log"), this)),
      print_(new QPushButton(QStringLiteral("Print"), this)),
      close_(new QPushButton(QStringLiteral("Close"), this)) {
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    list_->header()->setStretchLastSection(false);
    QPalette colours = list_->palette();
    colours.setColor(QPalette::Base, QColor(0xE0, 0xE0, 0xE0));
    colours.setColor(QPalette::Text, Qt::black);
    list_->setPalette(colours);
    for (QPushButton* button : {delete_, print_, close_}) {
        button->setAutoDefault(false);
    }
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(delete_, &QPushButton::clicked, this, [this] { DeleteLog(); });
    connect(print_, &QPushButton::clicked, this, [this] { Print(); });
    auto* buttons = new QHBoxLayout;
    if (logMode) {
        buttons->addWidget(delete_);
        buttons->addStretch();
        buttons->addWidget(print_);
        buttons->addStretch();
        buttons->addWidget(close_);
    } else {
        // The listing has "Close" alone, in the middle.
        delete_->hide();
        print_->hide();
        buttons->addStretch();
        buttons->addWidget(close_);
        buttons->addStretch();
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(1000, 560);
}

SessionInfoDialog::SessionInfoDialog(RunLog& log, MessageBox& box, QWidget* parent)
    : SessionInfoDialog(true, parent) {
    log_ = &log;
    box_ = &box;
    setWindowTitle(QString::fromUtf8(kSessionLogTitle));
    if (lines_.Load(log.Path())) {
        setWindowTitle(QFile::decodeName(QByteArray::fromStdString(log.Path())));
    }
    // The heading the next entry will carry, as a last row of its own.
    pendingSession_ = log.PendingSessionField();
    model_ = std::make_unique<InfoTableModel>(
        RunLogColumns(), [this] { return lines_.Count() + (pendingSession_.empty() ? 0 : 1); },
        [this](size_t row) {
            return row < lines_.Count() ? lines_.Cells(row)
                                        : std::vector<std::string>{pendingSession_};
        });
    list_->setModel(model_.get());
    SetColumnWidths(*list_, model_->columns());
}

SessionInfoDialog::SessionInfoDialog(const std::string& sessionPath, const RecordArray& records,
                                     QWidget* parent)
    : SessionInfoDialog(false, parent) {
    setWindowTitle(QString::fromUtf8(SessionListingTitle(sessionPath, records)));
    auto rows =
        std::make_shared<std::vector<std::vector<std::string>>>(SessionListingRows(records));
    model_ = std::make_unique<InfoTableModel>(
        SessionListingColumns(), [rows] { return rows->size(); },
        [rows](size_t row) { return (*rows)[row]; });
    list_->setModel(model_.get());
    SetColumnWidths(*list_, model_->columns());
}

SessionInfoDialog::~SessionInfoDialog() {
    list_->setModel(nullptr);
}

void SessionInfoDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (log_) {
        list_->setColumnWidth(0,
                              std::max(kLogSessionColumnWidth, list_->viewport()->width() - 500));
    }
}

void SessionInfoDialog::DeleteLog() {
    if (!log_ || box_->Show("\nAre you sure you want to delete the log ?",
                            mb::kYesNoCancel | mb::kIconQuestion) != kResultYes) {
        return;
    }
    QFile::remove(QString::fromStdString(log_->Path()));
    log_->NoteLogDeleted();
    lines_.Clear();
    pendingSession_.clear();
    model_->Reset();
    list_->setColumnWidth(0, kLogSessionColumnWidth);
}

void SessionInfoDialog::Print() {
    QPrinter printer(QPrinter::HighResolution);
    if (!choosePrinter_(printer, this)) {
        return;
    }
    PrintedList printed;
    printed.title = windowTitle();
    for (int c = 0; c < model_->columnCount({}); ++c) {
        printed.columns << model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        printed.widths.push_back(list_->columnWidth(c));
        printed.rightAligned.push_back(model_->columns()[static_cast<size_t>(c)].rightAligned);
    }
    printed.rowCount = model_->Count();
    printed.row = [this](size_t row) { return model_->Cells(row); };
    PrintList(printer, printed);
}

}  // namespace tamberline
