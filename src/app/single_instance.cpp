#include "app/single_instance.h"

#include <unistd.h>
#include <QLocalServer>
#include <QLocalSocket>

namespace tamberline {

namespace {
constexpr char kProbe[] = "0x8000\n";
constexpr char kProbeAnswer[] = "0x1234ABCD\n";
constexpr char kOpenSession[] = "0x9051 ";
constexpr char kRestore[] = "RESTORE\n";
}  // namespace

InstanceServer::InstanceServer(const QString& name, QObject* parent)
    : QObject(parent), name_(name), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &InstanceServer::OnConnection);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::Listen() {
    if (server_->listen(name_)) {
        return true;
    }
    QLocalServer::removeServer(name_);
    return server_->listen(name_);
}

void InstanceServer::OnConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine();
                if (line == kProbe) {
                    socket->write(kProbeAnswer);
                    socket->flush();
                } else if (line == kRestore) {
                    emit RestoreRequested();
                } else if (line.startsWith(kOpenSession)) {
                    emit RestoreRequested();
                    emit OpenSessionRequested(
                        QString::fromUtf8(line.mid(sizeof kOpenSession - 1).chopped(1)));
                }
            }
        });
    }
}

QString InstanceName() {
    const QByteArray forced = qgetenv("TAMBERLINE_INSTANCE");
    if (!forced.isEmpty()) {
        return QString::fromUtf8(forced);
    }
    return QStringLiteral("tamberline-console-%1").arg(getuid());
}

bool HandOverToRunningInstance(const QString& name, const std::string& sessionPath, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    socket.write(kProbe);
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return false;
    }
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs)) {
            return false;
        }
    }
    if (socket.readLine() != kProbeAnswer) {
        return false;
    }
    // A line break would end the request early; a session path never has one.
    std::string path = sessionPath;
    std::erase(path, '\n');
    const QByteArray request =
        path.empty() ? QByteArray(kRestore) : kOpenSession + QByteArray::fromStdString(path) + '\n';
    socket.write(request);
    socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

}  // namespace tamberline
