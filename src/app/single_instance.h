#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <string>

class QLocalServer;

namespace tamberline {

// Only one console runs per user. A second start asks the running one
// (probe 0x8000, answer 0x1234ABCD) to come to the front and, when it was
// given a session, to open it (0x9051); then the second start ends.
//
// The probe is answered on a thread of its own from the moment the name is
// taken, so a console still busy starting (or showing a box) is never taken
// for a dead one. Requests reach the owner's thread as queued signals.
class InstanceServer : public QObject {
    Q_OBJECT
public:
    explicit InstanceServer(const QString& name, QObject* parent = nullptr);
    ~InstanceServer() override;
    // Takes the name: false while another console holds it (even one not
    // answering yet); a name left by a console that died is taken over.
    // A console that owns the name but cannot listen on it (the socket
    // path is unusable) still runs, unreachable, as it would alone.
    bool Listen();

signals:
    void RestoreRequested();
    void OpenSessionRequested(const QString& path);

private:
    void OnConnection();

    QString name_;
    int lockFd_ = -1;  // held for the console's life; the system drops it when it dies
    QThread thread_;
    QObject* worker_;  // lives on thread_, owns the server and its sockets
    QLocalServer* server_ = nullptr;
};

// The per-user name of the running console; TAMBERLINE_INSTANCE overrides
// it so that tests never meet the operator's console.
QString InstanceName();

// True when a running console answered the probe and took the session path
// (which may be empty).
bool HandOverToRunningInstance(const QString& name, const std::string& sessionPath,
                               int timeoutMs = 2000);

}  // namespace tamberline
