#include "net/link_hosts.h"

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QThread>

#include "playback/sound/device_backends.h"
#include "playback/sound/jack_backend.h"
#include "session/registry.h"
#include "session/settings.h"

namespace tamberline::testing {

namespace {

constexpr int kReplyMs = 3000;
constexpr int kStartMs = 20000;

int Script(const QStringList& arguments) {
    QProcess script;
    script.start(QStringLiteral("bash"),
                 QStringList{QStringLiteral(TAMBERLINE_LINK_HOSTS_SCRIPT)} + arguments);
    if (!script.waitForFinished(20000)) {
        script.kill();
        script.waitForFinished();
        return -1;
    }
    return script.exitStatus() == QProcess::NormalExit ? script.exitCode() : -1;
}

// Where the script keeps a host's name service (its bus, its daemon).
QString NameServiceFile(char console, const char* name) {
    return QStringLiteral("/tmp/tamberline-link-hosts/%1/%2")
        .arg(QChar(console))
        .arg(QLatin1String(name));
}

}  // namespace

LinkHosts::LinkHosts(std::string folder) : folder_(std::move(folder)) {}

LinkHosts::~LinkHosts() {
    Stop();
}

std::string LinkHosts::Unavailable() {
    if (geteuid() != 0) {
        return "the test hosts need root (network namespaces)";
    }
    if (Script({QStringLiteral("up")}) != 0) {
        return "network namespaces cannot be made here";
    }
    return {};
}

bool LinkHosts::NameServices() {
    return QFile::exists(NameServiceFile('A', "avahi.pid")) &&
           QFile::exists(NameServiceFile('B', "avahi.pid"));
}

std::string LinkHosts::Home(char console) const {
    return folder_ + "/" + console;
}

bool LinkHosts::PlayOnJack(char console) {
    if (!JackBackend::ServerRuns()) {
        return false;
    }
    DeviceBackends backends;
    int count = 0;
    if (backends.DriverCount(count) != SoundResult::kOk) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        std::string name;
        if (backends.DriverName(i, name) == SoundResult::kOk && name == JackBackend::kDriverName) {
            const QString config = QString::fromStdString(Home(console)) + "/.config/Tamberline";
            QDir().mkpath(config);
            Registry registry(config + "/Tamberline.conf");
            registry.SetDword(settings::kAsioIndex, static_cast<uint32_t>(i + 1));
            return true;
        }
    }
    return false;
}

void LinkHosts::SetEnvironment(char console, const std::string& name, const std::string& value) {
    environment_[console][name] = value;
}

std::string LinkHosts::Socket(char console) const {
    return folder_ + "/" + console + ".sock";
}

std::string LinkHosts::Log(char console) const {
    QFile file(QString::fromStdString(folder_ + "/" + console + ".log"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

bool LinkHosts::Launch(char console, bool withShow) {
    const QString home = QString::fromStdString(Home(console));
    QDir().mkpath(home);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("TAMBERLINE_INSTANCE"),
               QStringLiteral("tamberline-link-test-%1-%2").arg(getpid()).arg(QChar(console)));
    env.insert(QStringLiteral("TAMBERLINE_TEST_CONTROL"), QString::fromStdString(Socket(console)));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const auto& [name, value] : environment_[console]) {
        env.insert(QString::fromStdString(name), QString::fromStdString(value));
    }
    // Each host has its own name (for discovery) and its own name service.
    const QString host = console == 'A' ? QStringLiteral("tbl-hA") : QStringLiteral("tbl-hB");
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + NameServiceFile(console, "bus"));
    QStringList arguments = {QStringLiteral("netns"),
                             QStringLiteral("exec"),
                             host,
                             QStringLiteral("unshare"),
                             QStringLiteral("--uts"),
                             QStringLiteral("sh"),
                             QStringLiteral("-c"),
                             QStringLiteral("hostname \"$0\" && exec \"$@\""),
                             host,
                             QStringLiteral(TAMBERLINE_EXECUTABLE)};
    if (withShow) {
        QProcess demo;
        demo.setProcessEnvironment(env);
        demo.start(QStringLiteral(TAMBERLINE_DEMO_SESSION), {});
        if (!demo.waitForFinished(20000) || demo.exitCode() != 0) {
            return false;
        }
        arguments << home + QStringLiteral("/Documents/Tamberline Demo/Demo.dbf");
    }
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setStandardOutputFile(QString::fromStdString(folder_ + "/" + console + ".log"));
    process->setStandardErrorFile(QString::fromStdString(folder_ + "/" + console + ".log"),
                                  QIODevice::Append);
    process->start(QStringLiteral("ip"), arguments);
    if (!process->waitForStarted(5000)) {
        return false;
    }
    (console == 'A' ? a_ : b_) = std::move(process);
    return WaitFor(console, "status", "role=none", kStartMs);
}

bool LinkHosts::Start(const std::string& withShow) {
    if (Script({QStringLiteral("up")}) != 0) {
        return false;
    }
    return Launch('A', withShow.find('A') != std::string::npos) &&
           Launch('B', withShow.find('B') != std::string::npos);
}

void LinkHosts::Stop() {
    for (std::unique_ptr<QProcess>* process : {&a_, &b_}) {
        if (*process) {
            (*process)->terminate();
            if (!(*process)->waitForFinished(5000)) {
                (*process)->kill();
                (*process)->waitForFinished(5000);
            }
            process->reset();
        }
    }
    Script({QStringLiteral("mend"), QStringLiteral("A")});
    Script({QStringLiteral("mend"), QStringLiteral("B")});
}

std::string LinkHosts::Command(char console, const std::string& line) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(Socket(console)));
    if (!socket.waitForConnected(kReplyMs)) {
        return {};
    }
    socket.write(QByteArray::fromStdString(line + "\n"));
    socket.flush();
    QElapsedTimer timer;
    timer.start();
    while (!socket.canReadLine() && timer.elapsed() < kReplyMs) {
        socket.waitForReadyRead(50);
    }
    return socket.readLine().trimmed().toStdString();
}

bool LinkHosts::WaitFor(char console, const std::string& line, const std::string& wanted, int ms) {
    QElapsedTimer timer;
    timer.start();
    do {
        if (Command(console, line).find(wanted) != std::string::npos) {
            return true;
        }
        QThread::msleep(20);
    } while (timer.elapsed() < ms);
    return false;
}

bool LinkHosts::Cut(char host) {
    return Script({QStringLiteral("cut"), QString(QChar(host))}) == 0;
}

bool LinkHosts::Mend(char host) {
    return Script({QStringLiteral("mend"), QString(QChar(host))}) == 0;
}

}  // namespace tamberline::testing
