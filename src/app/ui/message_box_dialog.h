#pragma once

#include <QDialog>
#include <QPointer>

#include "base/message_box.h"

class QWidget;

namespace tamberline {

// The program's own modal message box: title "Tamberline.", an icon, the
// text and a fixed set of buttons.
class MessageBoxDialog : public QDialog {
    Q_OBJECT
public:
    MessageBoxDialog(QWidget* owner, const std::string& text, unsigned flags);
    // Places the box: centred on the owner, or with its top-left corner at
    // a point, kept inside the work area of the owner's monitor.
    void Place(BoxPlacement placement);

    // Closing the box or Escape answers like Cancel.
    void reject() override { done(kResultCancel); }

public slots:
    // The network link closes an open question.
    void CloseByPeer() { done(kResultClosedByPeer); }
};

// The MessageBox the running program uses.
class WidgetMessageBox final : public MessageBox {
public:
    explicit WidgetMessageBox(QWidget* owner = nullptr) : owner_(owner) {}
    void SetOwner(QWidget* owner) { owner_ = owner; }
    int Show(const std::string& text, unsigned flags, BoxPlacement placement) override;
    void CloseOpenBox();

private:
    QPointer<QWidget> owner_;
    QPointer<MessageBoxDialog> open_;
};

}  // namespace tamberline
