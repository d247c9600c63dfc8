#include "triggers/pbus/pbus_port.h"

#include <QMetaObject>

#include "base/message_box.h"
#include "session/registry.h"

namespace tamberline {

namespace {
constexpr int kStatusField = 19;
constexpr int kApplied = 1;
constexpr const char* kNoPortsText = "No serial ports found.\nCannot enable P-Bus.";
}  // namespace

PbusPort::PbusPort(Services services)
    : services_(std::move(services)),
      reader_({[this](const PbusEffects& effects) {
                   if (services_.status) {
                       services_.status(kStatusField, effects.statusText);
                   }
                   if (!effects.actions.empty()) {
                       services_.target.Act(effects.actions);
                   }
               },
               [this] {
                   QMetaObject::invokeMethod(
                       &gui_, [this] { Lost(); }, Qt::QueuedConnection);
               }}) {}

PbusPort::~PbusPort() {
    reader_.Stop();
}

bool PbusPort::PortsExist() const {
    return IsOpen() ||
           !services_.openablePorts(services_.registry.String(settings::kPbusPort)).empty();
}

bool PbusPort::Open() {
    if (IsOpen()) {
        return true;
    }
    if (!PortsExist()) {
        services_.box.Show(kNoPortsText, mb::kOk | mb::kIconExclamation);
        return false;
    }
    const PbusSetup setup = ReadPbusSetup(services_.registry);
    if (setup.port.empty() || PbusAddressMask(setup.config.addresses) == 0) {
        services_.box.Show("Serial port setup incomplete.\nUse P-Bus setup.",
                           mb::kOk | mb::kIconExclamation);
        return services_.setupDialog && services_.setupDialog() == kApplied && Open();
    }
    if (!reader_.Start(setup, parser_)) {
        services_.box.Show(PbusConnectFailedText(setup.port), mb::kOk | mb::kIconExclamation);
        return false;
    }
    openPort_ = setup.port;
    return true;
}

void PbusPort::Close() {
    reader_.Stop();
}

bool PbusPort::SetupPossible() {
    if (!PortsExist()) {
        services_.box.Show(kNoPortsText, mb::kOk | mb::kIconExclamation);
        return false;
    }
    return true;
}

void PbusPort::Lost() {
    // The reader has ended; it may have been closed meanwhile.
    if (!IsOpen()) {
        return;
    }
    reader_.Stop();
    services_.box.Show(PbusConnectFailedText(openPort_), mb::kOk | mb::kIconExclamation);
    if (services_.lost) {
        services_.lost();
    }
}

}  // namespace tamberline
