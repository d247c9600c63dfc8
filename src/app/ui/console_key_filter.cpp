#include "app/ui/console_key_filter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "app/grid_gestures.h"
#include "triggers/key_triggers.h"

namespace tamberline {

ConsoleKeyFilter::ConsoleKeyFilter(QWidget& console, GridGestures& gestures)
    : console_(console), gestures_(gestures) {
    qApp->installEventFilter(this);
}

ConsoleKeyFilter::~ConsoleKeyFilter() {
    qApp->removeEventFilter(this);
}

// Every key reaches the application twice, first for the platform window and
// then for the focus widget: only the widget's copy is taken.
bool ConsoleKeyFilter::IsConsoleKey(QObject* watched) const {
    const auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() == console_.window() && !QApplication::activeModalWidget() &&
           !QApplication::activePopupWidget();
}

bool ConsoleKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !IsConsoleKey(watched)) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const int code = VirtualKeyOf({key->key(), key->modifiers(), key->nativeScanCode()});
    if (code == 0) {
        return false;
    }
    if (type == QEvent::KeyPress) {
        gestures_.KeyDown(code, key->isAutoRepeat());
    } else if (!key->isAutoRepeat()) {
        gestures_.KeyUp(code, key->modifiers().testFlag(Qt::ShiftModifier));
    }
    return true;
}

}  // namespace tamberline
