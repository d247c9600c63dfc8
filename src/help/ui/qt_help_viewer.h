#pragma once

#include <QPointer>

#include "help/help_service.h"
#include "help/ui/help_window.h"

namespace tamberline {

// The help window of the running program, placed beside the console. A
// window opened from a modal dialog belongs to that dialog while it is open,
// so that the dialog's modality does not lock the reader out of it.
class QtHelpViewer final : public HelpViewer {
public:
    explicit QtHelpViewer(QWidget* console) : console_(console) {}
    ~QtHelpViewer() override;
    QtHelpViewer(const QtHelpViewer&) = delete;
    QtHelpViewer& operator=(const QtHelpViewer&) = delete;

    void Restore() override;
    HelpRect ConsoleRect() const override;
    HelpRect WorkArea() const override;
    bool Show(const std::string& folder, const std::string& topic, const HelpRect& where) override;
    void Close() override;

    // The open window, null when none.
    HelpWindow* window() const { return window_; }

private:
    void AttachTo(QWidget* owner);

    QWidget* console_;
    QPointer<HelpWindow> window_;
};

}  // namespace tamberline
