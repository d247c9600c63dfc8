#include "help/ui/help_window.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <vector>

#include "help/help_location.h"
#include "help/help_topics.h"

namespace tamberline {

namespace {

constexpr int kNavigationWidth = 240;
constexpr int kTargetRole = Qt::UserRole;

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

HelpWindow::HelpWindow(const std::string& folder, QWidget* parent)
    : QWidget(parent, Qt::Window),
      folder_(folder),
      book_(LoadHelpBook(folder)),
      tabs_(new QTabWidget(this)),
      contents_(new QTreeWidget(this)),
      browser_(new QTextBrowser(this)) {
    setWindowTitle(QString::fromLatin1(help::kWindowTitle));
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({ToQt(folder)});

    contents_->setHeaderHidden(true);
    FillContents();
    tabs_->setTabPosition(QTabWidget::North);
    tabs_->addTab(contents_, QStringLiteral("Contents"));
    tabs_->addTab(BuildIndexTab(), QStringLiteral("Index"));
    tabs_->addTab(BuildSearchTab(), QStringLiteral("Search"));

    auto* splitter = new QSplitter(this);
    splitter->addWidget(tabs_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kNavigationWidth, 800 - kNavigationWidth});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(BuildToolbar());
    layout->addWidget(splitter, 1);

    connect(contents_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { OpenTarget(item->data(0, kTargetRole).toString()); });
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] { SyncContents(); });
}

QWidget* HelpWindow::BuildToolbar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 4, 4, 4);
    auto button = [bar, row](const QString& text) {
        auto* tool = new QToolButton(bar);
        tool->setText(text);
        row->addWidget(tool);
        return tool;
    };
    expand_ = button(QStringLiteral("Expand"));
    expand_->setCheckable(true);
    connect(expand_, &QToolButton::toggled, this, [this](bool on) {
        if (on) {
            contents_->expandAll();
        } else {
            contents_->collapseAll();
        }
        expand_->setText(on ? QStringLiteral("Collapse") : QStringLiteral("Expand"));
    });
    QToolButton* back = button(QStringLiteral("Back"));
    QToolButton* forward = button(QStringLiteral("Forward"));
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
    connect(button(QStringLiteral("Home")), &QToolButton::clicked, this,
            [this] { ShowTopic(std::string(help::kHomePage)); });
    connect(button(QStringLiteral("Zoom in")), &QToolButton::clicked, browser_,
            [this] { browser_->zoomIn(); });
    connect(button(QStringLiteral("Zoom out")), &QToolButton::clicked, browser_,
            [this] { browser_->zoomOut(); });
    row->addStretch(1);
    return bar;
}

QWidget* HelpWindow::BuildIndexTab() {
    auto* tab = new QWidget(this);
    auto* column = new QVBoxLayout(tab);
    indexFilter_ = new QLineEdit(tab);
    indexFilter_->setPlaceholderText(QStringLiteral("Type the keyword to find"));
    indexList_ = new QListWidget(tab);
    for (const HelpLink& link : book_.index) {
        const QString indent(std::max(0, link.depth - 1) * 4, QLatin1Char(' '));
        auto* item = new QListWidgetItem(indent + ToQt(link.title), indexList_);
        item->setData(kTargetRole, ToQt(link.target));
    }
    column->addWidget(indexFilter_);
    column->addWidget(indexList_, 1);
    connect(indexFilter_, &QLineEdit::textChanged, this, &HelpWindow::FilterIndex);
    connect(indexFilter_, &QLineEdit::returnPressed, this, [this] {
        if (QListWidgetItem* item = indexList_->currentItem()) {
            OpenTarget(item->data(kTargetRole).toString());
        }
    });
    connect(indexList_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { OpenTarget(item->data(kTargetRole).toString()); });
    connect(indexList_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { OpenTarget(item->data(kTargetRole).toString()); });
    return tab;
}

QWidget* HelpWindow::BuildSearchTab() {
    auto* tab = new QWidget(this);
    auto* column = new QVBoxLayout(tab);
    searchEdit_ = new QLineEdit(tab);
    searchEdit_->setPlaceholderText(QStringLiteral("Type in the words to search for"));
    auto* list = new QPushButton(QStringLiteral("List Topics"), tab);
    searchResults_ = new QListWidget(tab);
    column->addWidget(searchEdit_);
    column->addWidget(list);
    column->addWidget(searchResults_, 1);
    connect(searchEdit_, &QLineEdit::returnPressed, this, &HelpWindow::RunSearch);
    connect(list, &QPushButton::clicked, this, &HelpWindow::RunSearch);
    connect(searchResults_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { OpenTarget(item->data(kTargetRole).toString()); });
    connect(searchResults_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { OpenTarget(item->data(kTargetRole).toString()); });
    return tab;
}

void HelpWindow::FillContents() {
    // Each link hangs below the last one of a smaller depth.
    std::vector<QTreeWidgetItem*> parents;
    for (const HelpLink& link : book_.contents) {
        const size_t depth = static_cast<size_t>(std::max(1, link.depth));
        parents.resize(std::min(parents.size(), depth - 1));
        QTreeWidgetItem* item =
            parents.empty() ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(parents.back());
        item->setText(0, ToQt(link.title));
        item->setData(0, kTargetRole, ToQt(link.target));
        parents.push_back(item);
    }
}

void HelpWindow::FilterIndex(const QString& text) {
    // Like a printed index: jump to the first keyword that begins so.
    for (int row = 0; row < indexList_->count(); ++row) {
        QListWidgetItem* item = indexList_->item(row);
        if (item->text().trimmed().startsWith(text.trimmed(), Qt::CaseInsensitive)) {
            indexList_->setCurrentItem(item);
            indexList_->scrollToItem(item, QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

void HelpWindow::RunSearch() {
    searchResults_->clear();
    for (const SearchHit& hit : SearchPages(book_.pages, searchEdit_->text().toStdString())) {
        auto* item =
            new QListWidgetItem(ToQt(hit.title.empty() ? hit.topic : hit.title), searchResults_);
        item->setData(kTargetRole, ToQt(hit.topic));
    }
}

void HelpWindow::OpenTarget(const QString& target) {
    if (!target.isEmpty()) {
        ShowTopic(target.toStdString());
    }
}

bool HelpWindow::ShowTopic(const std::string& topic) {
    const std::string file = TopicFile(folder_, topic);
    if (file.empty()) {
        return false;
    }
    QUrl url = QUrl::fromLocalFile(ToQt(file));
    if (const size_t hash = topic.find('#'); hash != std::string::npos) {
        url.setFragment(ToQt(topic.substr(hash + 1)));
    }
    browser_->setSource(url);
    SyncContents();
    return !browser_->document()->isEmpty();
}

std::string HelpWindow::CurrentTopic() const {
    // Links inside the pages may be relative ("Setup.htm#triggers").
    return browser_->source().fileName().toStdString();
}

void HelpWindow::SyncContents() {
    const QString shown = ToQt(CurrentTopic());
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
        const QString target = (*it)->data(0, kTargetRole).toString();
        if (target.section(QLatin1Char('#'), 0, 0) == shown) {
            contents_->setCurrentItem(*it);
            return;
        }
    }
}

}  // namespace tamberline
