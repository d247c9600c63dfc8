#include "session/ui/sample_search_window.h"

#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

namespace tamberline {

namespace {
// The walk names every folder; the strip shows the newest at this pace.
constexpr int kStatusMs = 50;
}  // namespace

SampleSearchWindow::SampleSearchWindow(QWidget* parent)
    : QDialog(parent), status_(new QLabel(this)), repaint_(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Searching..."));
    status_->setAutoFillBackground(true);
    QPalette grey = status_->palette();
    grey.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    grey.setColor(QPalette::WindowText, Qt::black);
    status_->setPalette(grey);
    status_->setMinimumWidth(520);
    status_->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    connect(repaint_, &QTimer::timeout, this, [this] { ShowStatus(); });
    repaint_->start(kStatusMs);
}

void SampleSearchWindow::Post(const std::string& line) {
    std::lock_guard lock(mutex_);
    latest_ = line;
    changed_ = true;
}

QString SampleSearchWindow::StatusText() const {
    return status_->text();
}

void SampleSearchWindow::ShowStatus() {
    std::string line;
    {
        std::lock_guard lock(mutex_);
        if (!changed_) {
            return;
        }
        changed_ = false;
        line = latest_;
    }
    status_->setText(QFile::decodeName(QByteArray::fromStdString(line)));
}

void SampleSearchWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Enter:
        case Qt::Key_Return:
            if (cancel_) {
                cancel_();
            }
            return;
        default: QDialog::keyPressEvent(event);
    }
}

void SampleSearchWindow::closeEvent(QCloseEvent* event) {
    // The window goes when the search has stopped, not before.
    if (cancel_) {
        cancel_();
    }
    event->ignore();
}

bool RunSampleSearch(RecordArray& records, const SampleSearchPlaces& places, QWidget* parent,
                     const SearchProgress& observe) {
    SampleSearchWindow window(parent);
    auto found = std::make_unique<RecordArray>(records);
    // Declared after the window: the worker stops before the window goes.
    std::unique_ptr<SampleSearchJob> job;
    window.SetCancel([&job] { job->Cancel(); });
    job = std::make_unique<SampleSearchJob>(
        records, places,
        [&window, observe](const std::string& line) {
            window.Post(line);
            if (observe) {
                observe(line);
            }
        },
        [&window, &found](bool finished, const RecordArray& result) {
            // The worker ends right after this; the window reads the copy
            // once the queued call has run on its own thread.
            *found = result;
            QMetaObject::invokeMethod(
                &window,
                [&window, finished] {
                    window.done(finished ? SampleSearchWindow::kFinished
                                         : SampleSearchWindow::kCancelled);
                },
                Qt::QueuedConnection);
        });
    const int result = window.exec();
    job.reset();
    if (result != SampleSearchWindow::kFinished) {
        return false;
    }
    records = *found;
    return true;
}

}  // namespace tamberline
