#include <QApplication>
#include <QStringList>
#include <QThread>

#include "app/single_instance.h"
#include "app/ui/console_window.h"
#include "session/registry.h"

namespace {

constexpr unsigned long kHandOverRetryMs = 100;

// The command line is one optional session path; a path with blanks may
// arrive split into several arguments.
std::string SessionArgument(const QStringList& arguments) {
    return arguments.mid(1).join(QLatin1Char(' ')).toStdString();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tamberline"));
    const std::string sessionPath = SessionArgument(QApplication::arguments());

    // Either this start takes the name or it hands over to the console that
    // holds it, however long that one takes to answer.
    const QString instance = tamberline::InstanceName();
    tamberline::InstanceServer server(instance);
    while (!server.Listen()) {
        if (tamberline::HandOverToRunningInstance(instance, sessionPath)) {
            return 0;
        }
        QThread::msleep(kHandOverRetryMs);
    }

    tamberline::Registry registry;
    tamberline::ConsoleWindow window(registry);
    QObject::connect(&server, &tamberline::InstanceServer::RestoreRequested, &window,
                     &tamberline::ConsoleWindow::BringToFront);
    QObject::connect(&server, &tamberline::InstanceServer::OpenSessionRequested, &window,
                     &tamberline::ConsoleWindow::OpenSessionRequest);
    if (!window.Start(sessionPath)) {
        return 0;
    }
    return QApplication::exec();
}
