#include "session/ui/copy_engine_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <thread>

#include "session/archive/copy_control.h"

namespace tamberline {

namespace {
constexpr int kPollMs = 40;
}  // namespace

CopyEngineDialog::CopyEngineDialog(const std::string& caption, CopyControl& control,
                                   std::function<void()> fileDone, QWidget* parent)
    : QDialog(parent), control_(control), fileDone_(std::move(fileDone)) {
    setWindowTitle(QString::fromStdString(caption));
    setObjectName(QStringLiteral("Archive."));
    line1_ = new QLabel(this);
    line2_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 1000);
    bar_->setTextVisible(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &CopyEngineDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(line1_);
    layout->addWidget(line2_);
    layout->addWidget(bar_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(420);
    setModal(true);
    connect(&timer_, &QTimer::timeout, this, &CopyEngineDialog::Poll);
    timer_.start(kPollMs);
}

void CopyEngineDialog::Poll() {
    const CopyProgressView view = control_.Snapshot();
    line1_->setText(QString::fromStdString(view.line1));
    line2_->setText(QFile::decodeName(QByteArray::fromStdString(view.line2)));
    bar_->setValue(view.permille);
    for (; filesSeen_ < view.filesCompleted; ++filesSeen_) {
        if (fileDone_) {
            fileDone_();
        }
    }
    if (view.finished) {
        timer_.stop();
        done(done_ && done_() ? QDialog::Accepted : QDialog::Rejected);
    }
}

// The dialog stays until the worker has stopped; it then closes itself.
void CopyEngineDialog::reject() {
    control_.Cancel();
}

void CopyEngineDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter: control_.Cancel(); break;
        default: QDialog::keyPressEvent(event); break;
    }
}

void CopyEngineDialog::closeEvent(QCloseEvent* event) {
    control_.Cancel();
    event->ignore();
}

CopyOutcome DialogCopyRunner::Run(const std::string& caption, const CopyWork& work,
                                  const std::function<void()>& fileDone) {
    CopyControl control;
    CopyOutcome outcome;
    QWidget* parent = QApplication::activeModalWidget();
    CopyEngineDialog dialog(caption, control, fileDone, parent ? parent : owner_.data());
    dialog.SetOutcomeSource([&outcome] { return outcome.Done(); });
    std::thread worker([&] {
        outcome = work(control);
        control.Finish();
    });
    dialog.exec();
    // Closed from outside before the end: the copy must not go on unseen.
    if (!control.Snapshot().finished) {
        control.Cancel();
    }
    worker.join();
    return outcome;
}

}  // namespace tamberline
