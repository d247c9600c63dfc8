// Wickett makes sure the firewall lets Tamberline's network link receive
// its datagrams (UDP 4320): firewalld over D-Bus, else ufw, else there is
// nothing to do. It reads no arguments, prints nothing and always exits 0;
// the firewall entry is its only effect.
#include <QCoreApplication>
#include <QDBusConnection>
#include <array>

#include "fwreg/firewall.h"
#include "fwreg/firewalld.h"
#include "fwreg/ufw.h"

namespace {
void Silence(QtMsgType, const QMessageLogContext&, const QString&) {}
}  // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(Silence);
    // QtDBus needs the application object.
    QCoreApplication app(argc, argv);
    wickett::Firewalld firewalld(QDBusConnection::systemBus());
    wickett::Ufw ufw(wickett::FindUfw());
    const std::array<wickett::Firewall*, 2> firewalls{&firewalld, &ufw};
    wickett::RegisterPlayer(firewalls);
    return 0;
}
