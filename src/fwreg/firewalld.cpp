#include "fwreg/firewalld.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>

namespace wickett {

namespace {

const QString kService = QStringLiteral("org.fedoraproject.FirewallD1");
const QString kPath = QStringLiteral("/org/fedoraproject/FirewallD1");
const QString kConfigPath = QStringLiteral("/org/fedoraproject/FirewallD1/config");
const QString kZoneInterface = QStringLiteral("org.fedoraproject.FirewallD1.zone");
const QString kMainInterface = QStringLiteral("org.fedoraproject.FirewallD1");
const QString kConfigInterface = QStringLiteral("org.fedoraproject.FirewallD1.config");
const QString kConfigZoneInterface = QStringLiteral("org.fedoraproject.FirewallD1.config.zone");
const QString kProtocol = QStringLiteral("udp");
// A busy firewall answers within a few seconds; a hung one must not hold
// an installation for D-Bus's default 25 s.
constexpr int kTimeoutMs = 10000;

QString Port() {
    return QString::number(kLinkPort);
}

QDBusMessage Call(QDBusConnection& bus, const QString& path, const QString& interface,
                  const QString& method, const QList<QVariant>& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, kTimeoutMs);
}

template <typename T>
bool Answer(const QDBusMessage& reply, T& value) {
    const QDBusReply<T> typed(reply);
    if (!typed.isValid()) {
        return false;
    }
    value = typed.value();
    return true;
}

bool Succeeded(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

bool Firewalld::IsActive() {
    // Only a running firewalld counts: asking by name would start one.
    return bus_.isConnected() && bus_.interface() &&
           bus_.interface()->isServiceRegistered(kService).value();
}

bool Firewalld::RuntimeAllows(bool& allowed) {
    // The empty zone is the default zone.
    return Answer(Call(bus_, kPath, kZoneInterface, QStringLiteral("queryPort"),
                       {QString(), Port(), kProtocol}),
                  allowed);
}

bool Firewalld::StoredZonePath(QString& path) {
    QString zone;
    if (!Answer(Call(bus_, kPath, kMainInterface, QStringLiteral("getDefaultZone"), {}), zone)) {
        return false;
    }
    QDBusObjectPath object;
    if (!Answer(Call(bus_, kConfigPath, kConfigInterface, QStringLiteral("getZoneByName"), {zone}),
                object)) {
        return false;
    }
    path = object.path();
    return true;
}

bool Firewalld::StoredAllows(const QString& zonePath, bool& allowed) {
    return Answer(Call(bus_, zonePath, kConfigZoneInterface, QStringLiteral("queryPort"),
                       {Port(), kProtocol}),
                  allowed);
}

bool Firewalld::AllowsLinkPort() {
    bool running = false;
    bool stored = false;
    QString zonePath;
    return RuntimeAllows(running) && running && StoredZonePath(zonePath) &&
           StoredAllows(zonePath, stored) && stored;
}

void Firewalld::AllowLinkPort() {
    bool running = false;
    if (!RuntimeAllows(running)) {
        return;
    }
    if (!running && !Succeeded(Call(bus_, kPath, kZoneInterface, QStringLiteral("addPort"),
                                    {QString(), Port(), kProtocol, 0}))) {
        return;
    }
    QString zonePath;
    bool stored = false;
    if (StoredZonePath(zonePath) && StoredAllows(zonePath, stored) && !stored) {
        Call(bus_, zonePath, kConfigZoneInterface, QStringLiteral("addPort"), {Port(), kProtocol});
    }
}

}  // namespace wickett
