// The commands of the end-to-end tests' control socket (TestControl).
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTreeWidget>
#include <sstream>

#include "app/ui/console_window.h"
#include "app/ui/message_box_dialog.h"
#include "net/net_link_part.h"

namespace tamberline {

namespace {

const char* RoleName(LinkRole role) {
    switch (role) {
        case LinkRole::kMaster: return "master";
        case LinkRole::kSlave: return "slave";
        default: return "none";
    }
}

MessageBoxDialog* OpenBox() {
    return qobject_cast<MessageBoxDialog*>(QApplication::activeModalWidget());
}

std::string BoxText(MessageBoxDialog* box) {
    if (!box) {
        return "-";
    }
    std::string text;
    for (const QLabel* label : box->findChildren<QLabel*>()) {
        text += label->text().trimmed().toStdString();
    }
    for (char& c : text) {
        c = c == '\n' ? '|' : c;
    }
    return text;
}

}  // namespace

std::string ConsoleWindow::RunTestCommand(const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (!programParts_) {
        return "error no parts";
    }
    NetLink& link = programParts_->link().link();
    int button = -1;
    if (verb == "status") {
        std::ostringstream out;
        out << "role=" << RoleName(link_.role()) << " connected=" << link.connected()
            << " syncing=" << link.syncing() << " pending=" << link.requestPending() << " running=";
        for (int b = 0; b < kButtonCount; ++b) {
            if (run_.State(b).running) {
                out << b << ',';
            }
        }
        out << " box=" << BoxText(OpenBox()) << " title=" << link.Title();
        return out.str();
    }
    if (verb == "connect") {
        std::string address, name, role;
        in >> address >> name >> role;
        link.BeginConnect(address, name, role != "slave", nullptr);
        return "ok";
    }
    if (verb == "answer") {
        std::string answer;
        in >> answer;
        if (MessageBoxDialog* box = OpenBox()) {
            box->done(answer == "cancel" ? kResultCancel : kResultOk);
            return "ok";
        }
        // Any other dialog can only be closed.
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || answer != "cancel") {
            return "error no box";
        }
        dialog->reject();
        return "ok";
    }
    if (verb == "clock" && (in >> button) && button >= 0 && button < kButtonCount) {
        const ButtonRunView view = run_.State(button);
        return "running=" + std::to_string(view.running) +
               " remaining=" + std::to_string(view.remainingMs);
    }
    if (verb == "caption" && (in >> button) && button >= 0 && button < kButtonCount) {
        return std::string(CaptionOf(model_->session().records()[static_cast<size_t>(button)]));
    }
    if (verb == "start" && (in >> button) && button >= 0 && button < kButtonCount) {
        run_.StartButton(button);
        return "ok";
    }
    if (verb == "release" && (in >> button) && button >= 0 && button < kButtonCount) {
        run_.ReleaseButton(button);
        return "ok";
    }
    if (verb == "stopall") {
        run_.StopAll();
        return "ok";
    }
    if (verb == "netconnect") {
        // Queued: the dialog's own loop must not hold this answer back.
        QMetaObject::invokeMethod(
            this, [this] { ToggleLink(); }, Qt::QueuedConnection);
        return "ok";
    }
    if (verb == "rows") {
        // The rows of the list in the open dialog, "name address;" each.
        std::string rows;
        QWidget* dialog = QApplication::activeModalWidget();
        for (const QTreeWidget* list :
             dialog ? dialog->findChildren<QTreeWidget*>() : QList<QTreeWidget*>()) {
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                rows += list->topLevelItem(i)->text(0).toStdString() + ' ' +
                        list->topLevelItem(i)->text(1).toStdString() + ';';
            }
        }
        return dialog ? rows : "no dialog";
    }
    if (verb == "disconnect") {
        link.Disconnect();
        return "ok";
    }
    return "error unknown command";
}

}  // namespace tamberline
