#pragma once

#include <QDialog>
#include <functional>

#include "setup/sample_list_model.h"

class QPushButton;
class QTreeWidget;

namespace tamberline {

// "Sample File Error.": the list dialog in its list-view modes (session
// triggers, a WAV file's play list, a songlist's entries). The action
// button runs `action`, which returns the content to show afterwards.
class SampleListDialog final : public QDialog {
    Q_OBJECT
public:
    using ActionFn = std::function<SampleListContent()>;

    SampleListDialog(const SampleListContent& content, ActionFn action, QWidget* parent = nullptr);

    QTreeWidget& list() { return *list_; }
    QPushButton& actionButton() { return *action_; }

private:
    void Fill(const SampleListContent& content);

    QTreeWidget* list_;
    QPushButton* action_;
    ActionFn run_;
};

}  // namespace tamberline
