#include "app/ui/test_control.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace tamberline {

TestControl::TestControl(const QString& path, Handler handler, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), handler_(std::move(handler)) {
    QLocalServer::removeServer(path);
    server_->listen(path);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                while (socket->canReadLine()) {
                    const std::string line = socket->readLine().trimmed().toStdString();
                    // A command may open a box with an event loop of its own;
                    // the socket may be gone when it returns.
                    const std::string reply = handler_(line) + "\n";
                    if (socket->state() == QLocalSocket::ConnectedState) {
                        socket->write(reply.data(), static_cast<qint64>(reply.size()));
                        socket->flush();
                    }
                }
            });
        }
    });
}

bool TestControl::listening() const {
    return server_->isListening();
}

}  // namespace tamberline
