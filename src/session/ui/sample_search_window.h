#pragma once

#include <QDialog>
#include <functional>
#include <mutex>
#include <string>

#include "session/sample_search.h"

class QLabel;
class QTimer;

namespace tamberline {

// "Searching...": the status line of a search for lost samples that runs
// on a worker thread, painted on a grey strip. Esc, Enter or closing the
// window cancels; the search reports its own end.
class SampleSearchWindow final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFinished = 1;
    static constexpr int kCancelled = 2;

    explicit SampleSearchWindow(QWidget* parent = nullptr);

    void SetCancel(std::function<void()> cancel) { cancel_ = std::move(cancel); }
    // Any thread: the newest line is shown at the next repaint.
    void Post(const std::string& line);
    QString StatusText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowStatus();

    QLabel* status_;
    QTimer* repaint_;
    std::function<void()> cancel_;
    std::mutex mutex_;
    std::string latest_;
    bool changed_ = false;
};

// Runs the search modally in its window over `records`; true when it ran
// to its end, the records then hold what it found. `observe`, when set,
// sees every status line on the worker thread.
bool RunSampleSearch(RecordArray& records, const SampleSearchPlaces& places, QWidget* parent,
                     const SearchProgress& observe = {});

}  // namespace tamberline
