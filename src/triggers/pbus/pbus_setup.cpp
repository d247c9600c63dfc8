#include "triggers/pbus/pbus_setup.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <algorithm>

#include "session/registry.h"

namespace tamberline {

namespace {
const DwordSetting* const kAddressSettings[kPbusAddresses] = {
    &settings::kPbusAddressA, &settings::kPbusAddressB, &settings::kPbusAddressC,
    &settings::kPbusAddressD};
}

PbusSetup ReadPbusSetup(const Registry& registry) {
    PbusSetup setup;
    setup.port = registry.String(settings::kPbusPort);
    setup.rate = registry.Dword(settings::kPbusRate);
    setup.parity = registry.Dword(settings::kPbusParity);
    setup.config.playMask = registry.Dword(settings::kPbusPlay);
    setup.config.stopMask = registry.Dword(settings::kPbusStop);
    for (int a = 0; a < kPbusAddresses; ++a) {
        setup.config.addresses[static_cast<size_t>(a)] = registry.Dword(*kAddressSettings[a]);
    }
    return setup;
}

void WritePbusSetup(Registry& registry, const PbusSetup& setup) {
    registry.SetString(settings::kPbusPort, setup.port);
    registry.SetDword(settings::kPbusRate, setup.rate);
    registry.SetDword(settings::kPbusParity, setup.parity);
    registry.SetDword(settings::kPbusPlay, setup.config.playMask);
    registry.SetDword(settings::kPbusStop, setup.config.stopMask);
    for (int a = 0; a < kPbusAddresses; ++a) {
        registry.SetDword(*kAddressSettings[a], setup.config.addresses[static_cast<size_t>(a)]);
    }
}

int PbusBaudRate(uint32_t rateIndex) {
    return kPbusRates[rateIndex < kPbusRateCount ? rateIndex : kPbusDefaultRate];
}

PbusParity PbusPortParity(uint32_t parity) {
    return parity <= 2 ? static_cast<PbusParity>(parity) : PbusParity::kEven;
}

std::string PbusPortLabel(const std::string& port) {
    // A number of up to nine digits; anything longer is shown as typed.
    if (port.size() > 3 && port.size() <= 12 && port.compare(0, 3, "COM") == 0 &&
        std::all_of(port.begin() + 3, port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::to_string(std::stoi(port.substr(3)));
    }
    return port;
}

std::string PbusConnectFailedText(const std::string& port) {
    return "Unable to connect using\ncomm port " + PbusPortLabel(port);
}

std::vector<std::string> PbusPortCandidates(const std::string& typed) {
    std::vector<std::string> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const std::string path = info.systemLocation().toStdString();
        if (std::find(ports.begin(), ports.end(), path) == ports.end()) {
            ports.push_back(path);
        }
    }
    std::sort(ports.begin(), ports.end());
    if (!typed.empty() && typed.front() == '/' &&
        std::find(ports.begin(), ports.end(), typed) == ports.end()) {
        ports.push_back(typed);
    }
    return ports;
}

bool PbusPortOpens(const std::string& port) {
    QSerialPort probe;
    probe.setPortName(QString::fromStdString(port));
    if (!probe.open(QIODevice::ReadWrite)) {
        return false;
    }
    probe.close();
    return true;
}

std::vector<std::string> OpenablePbusPorts(const std::string& typed) {
    std::vector<std::string> ports;
    for (const std::string& port : PbusPortCandidates(typed)) {
        if (PbusPortOpens(port)) {
            ports.push_back(port);
        }
    }
    return ports;
}

}  // namespace tamberline
