#pragma once

#include <QObject>

class QWidget;

namespace tamberline {

class GridGestures;

// Takes the console's keys before any of its widgets does, whichever of them
// has the focus (menu bar, grid, anything later), and hands them to the
// gestures as key codes of the physical keys. Keys meant for an open dialog,
// box or menu are left alone.
class ConsoleKeyFilter final : public QObject {
public:
    // `console` is any widget of the console's window.
    ConsoleKeyFilter(QWidget& console, GridGestures& gestures);
    ~ConsoleKeyFilter() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsConsoleKey(QObject* watched) const;

    QWidget& console_;
    GridGestures& gestures_;
};

}  // namespace tamberline
