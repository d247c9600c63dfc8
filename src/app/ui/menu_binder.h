#pragma once

#include <QObject>
#include <QPoint>
#include <map>
#include <vector>

#include "app/console_menu.h"

class QAction;
class QFont;
class QMenu;
class QMenuBar;
class QWidget;

namespace tamberline {

// Shows the console's menu model in a menu bar and keeps the two in step:
// texts, greying, check marks and page frames follow the model.
class MenuBinder final : public QObject {
    Q_OBJECT
public:
    MenuBinder(ConsoleMenu& menu, QMenuBar& bar);
    ~MenuBinder() override;

    void SetMenuFont(const QFont& font);
    QAction* Action(int id) const;
    // The page whose item of the menu bar lies under a point of the
    // screen; -1 for none.
    int PageAt(QPoint globalPoint) const;

signals:
    void CommandTriggered(int id);

private:
    void Add(const MenuItem& item, QWidget* into);
    void Update(int id);

    ConsoleMenu& menu_;
    QMenuBar& bar_;
    std::map<int, QAction*> actions_;
    std::vector<QMenu*> menus_;
};

// Shows a context menu at a point of the screen; the id chosen, or 0.
int ExecPopup(const std::vector<MenuItem>& items, QPoint globalPoint, QWidget* parent,
              const QFont& font);

}  // namespace tamberline
