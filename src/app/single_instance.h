#pragma once

#include <QObject>
#include <QString>
#include <string>

class QLocalServer;

namespace tamberline {

// Only one console runs per user. A second start asks the running one
// (probe 0x8000, answer 0x1234ABCD) to come to the front and, when it was
// given a session, to open it (0x9051); then the second start ends.
class InstanceServer : public QObject {
    Q_OBJECT
public:
    explicit InstanceServer(const QString& name, QObject* parent = nullptr);
    ~InstanceServer() override;
    // Takes the name over from a console that died without removing it.
    bool Listen();

signals:
    void RestoreRequested();
    void OpenSessionRequested(const QString& path);

private:
    void OnConnection();

    QString name_;
    QLocalServer* server_;
};

// The per-user name of the running console; TAMBERLINE_INSTANCE overrides
// it so that tests never meet the operator's console.
QString InstanceName();

// True when a running console answered the probe and took the session path
// (which may be empty).
bool HandOverToRunningInstance(const QString& name, const std::string& sessionPath,
                               int timeoutMs = 2000);

}  // namespace tamberline
