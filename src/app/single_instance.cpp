#include "app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

namespace tamberline {

namespace {
constexpr char kProbe[] = "0x8000\n";
constexpr char kProbeAnswer[] = "0x1234ABCD\n";
constexpr char kOpenSession[] = "0x9051 ";
constexpr char kRestore[] = "RESTORE\n";
constexpr qint64 kMaxRequestBytes = 64 * 1024;
}  // namespace

InstanceServer::InstanceServer(const QString& name, QObject* parent)
    : QObject(parent), name_(name), worker_(new QObject) {
    worker_->moveToThread(&thread_);
    thread_.setObjectName(QStringLiteral("instance probe"));
    thread_.start();
}

InstanceServer::~InstanceServer() {
    // The server and its sockets end on their own thread; the worker, with
    // its thread gone, may then go from here.
    QMetaObject::invokeMethod(
        worker_, [this] { delete server_; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete worker_;
    if (lockFd_ >= 0) {
        ::close(lockFd_);
    }
}

// Whoever holds the lock file owns the name: the socket alone cannot tell,
// because listening with access options replaces any socket of that name.
bool InstanceServer::Listen() {
    if (lockFd_ < 0) {
        const QByteArray lockPath = QFile::encodeName(QDir::tempPath() + '/' + name_ + ".lock");
        const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            return true;  // no lock to be had: run alone, as before
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return false;
        }
        lockFd_ = fd;
    }
    QMetaObject::invokeMethod(
        worker_,
        [this] {
            if (!server_) {
                server_ = new QLocalServer(worker_);
                server_->setSocketOptions(QLocalServer::UserAccessOption);
                connect(server_, &QLocalServer::newConnection, worker_, [this] { OnConnection(); });
            }
            if (!server_->isListening()) {
                QLocalServer::removeServer(name_);  // left by a console that died
                server_->listen(name_);
            }
        },
        Qt::BlockingQueuedConnection);
    return true;
}

void InstanceServer::OnConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
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
            // No request is this long: a peer that never ends its line is dropped.
            if (socket->bytesAvailable() > kMaxRequestBytes) {
                socket->abort();
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
