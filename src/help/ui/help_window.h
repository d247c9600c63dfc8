#pragma once

#include <QWidget>
#include <string>

#include "help/help_book.h"

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QToolButton;
class QTreeWidget;

namespace tamberline {

// The program's help window: the contents, the index and a search on tabs
// beside the page, with Expand, Back, Forward, Home and zoom buttons.
class HelpWindow final : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(const std::string& folder, QWidget* parent = nullptr);

    const std::string& folder() const { return folder_; }
    // "Setup.htm" or "Setup.htm#groups"; false when the page shows nothing.
    bool ShowTopic(const std::string& topic);
    // The page shown, as a topic ("Setup.htm").
    std::string CurrentTopic() const;

    QTextBrowser* Browser() const { return browser_; }
    QTabWidget* Tabs() const { return tabs_; }
    QTreeWidget* Contents() const { return contents_; }
    QLineEdit* IndexFilter() const { return indexFilter_; }
    QListWidget* IndexList() const { return indexList_; }
    QLineEdit* SearchEdit() const { return searchEdit_; }
    QListWidget* SearchResults() const { return searchResults_; }
    QToolButton* ExpandButton() const { return expand_; }

    void RunSearch();

private:
    QWidget* BuildToolbar();
    QWidget* BuildIndexTab();
    QWidget* BuildSearchTab();
    void FillContents();
    void FilterIndex(const QString& text);
    void OpenTarget(const QString& target);
    void SyncContents();

    std::string folder_;
    HelpBook book_;
    QTabWidget* tabs_;
    QTreeWidget* contents_;
    QLineEdit* indexFilter_ = nullptr;
    QListWidget* indexList_ = nullptr;
    QLineEdit* searchEdit_ = nullptr;
    QListWidget* searchResults_ = nullptr;
    QTextBrowser* browser_;
    QToolButton* expand_ = nullptr;
};

}  // namespace tamberline
