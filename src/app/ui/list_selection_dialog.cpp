#include "app/ui/list_selection_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tamberline {

ListSelectionDialog::ListSelectionDialog(ListSelectionModel& model, QWidget* parent,
                                         ShowHelpFn help)
    : QDialog(parent),
      model_(model),
      rows_(new QComboBox(this)),
      panel_(new QPushButton(this)),
      help_(new QPushButton(QStringLiteral("Help"), this)) {
    setWindowTitle(QString::fromStdString(model_.Title()));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromStdString(model_.Caption()), this));
    FillRows();
    model_.SetRowsChanged([this] { FillRows(); });
    layout->addWidget(rows_);

    panel_->setText(QString::fromStdString(model_.ControlPanelCaption()));
    panel_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->addButton(panel_, QDialogButtonBox::ActionRole);
    buttons->addButton(help_, QDialogButtonBox::HelpRole);
    layout->addWidget(buttons);

    connect(rows_, &QComboBox::currentIndexChanged, this, [this](int row) { model_.Select(row); });
    connect(panel_, &QPushButton::clicked, this, [this] { model_.OpenControlPanel(false); });
    connect(panel_, &QWidget::customContextMenuRequested, this,
            [this] { model_.OpenControlPanel(true); });
    auto showHelp = [this, help = std::move(help)] {
        if (help) {
            help(model_.HelpTopic());
        }
    };
    connect(help_, &QPushButton::clicked, this, showHelp);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, showHelp);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

ListSelectionDialog::~ListSelectionDialog() {
    model_.SetRowsChanged({});
}

// Filling the list is no choice of the operator's: the model keeps the row
// it selected.
void ListSelectionDialog::FillRows() {
    const QSignalBlocker quiet(rows_);
    rows_->clear();
    for (const std::string& row : model_.Rows()) {
        rows_->addItem(QString::fromStdString(row));
    }
    rows_->setCurrentIndex(model_.Selected());
}

bool DialogListSelectionRunner::Run(ListSelectionModel& model) {
    ListSelectionDialog dialog(model, parent_, help_);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tamberline
