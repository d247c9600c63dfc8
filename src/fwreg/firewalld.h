#pragma once

#include <QDBusConnection>

#include "fwreg/firewall.h"

namespace wickett {

// firewalld over D-Bus: the link port in the default zone, both in the
// running firewall and in its stored configuration.
class Firewalld final : public Firewall {
public:
    explicit Firewalld(QDBusConnection bus) : bus_(std::move(bus)) {}

    bool IsActive() override;
    bool AllowsLinkPort() override;
    void AllowLinkPort() override;

private:
    bool RuntimeAllows(bool& allowed);
    bool StoredAllows(const QString& zonePath, bool& allowed);
    bool StoredZonePath(QString& path);

    QDBusConnection bus_;
};

}  // namespace wickett
