#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace tamberline {

// "Samples lost or changed.": the list dialog in its first mode, shown
// after a load found lost or edited samples. "Clear Lost Samples" and
// "Find" are offered only when a sample is lost; "Close" then reads
// "Ignore".
class LostSampleListDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClearLostSamples = 9;
    static constexpr int kFind = 8;
    static constexpr int kIgnore = 2;

    LostSampleListDialog(const std::vector<std::string>& lines, bool anyLost,
                         QWidget* parent = nullptr);

    QListWidget& list() { return *list_; }
    QPushButton& clearButton() { return *clear_; }
    QPushButton& findButton() { return *find_; }
    QPushButton& closeButton() { return *close_; }

private:
    QListWidget* list_;
    QPushButton* clear_;
    QPushButton* find_;
    QPushButton* close_;
};

}  // namespace tamberline
