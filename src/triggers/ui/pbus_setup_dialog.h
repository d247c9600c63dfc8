#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "triggers/pbus/pbus_setup.h"

class QComboBox;
class QListWidget;

namespace tamberline {

class Registry;

// "P-Bus Setup.": the serial port (one of the ports that open now, or any
// device path typed in), rate, parity, the four bus addresses and the codes
// that mean Play and Stop. A code is never chosen in both lists. "Apply"
// writes the choices into `setup` and ends with 1; "Cancel" changes nothing.
class PbusSetupDialog final : public QDialog {
    Q_OBJECT
public:
    PbusSetupDialog(PbusSetup& setup, const std::vector<std::string>& ports,
                    std::function<void()> help, QWidget* parent = nullptr);

    QComboBox* port() const { return port_; }
    QComboBox* rate() const { return rate_; }
    QComboBox* parity() const { return parity_; }
    QComboBox* address(int a) const { return addresses_[a]; }
    QListWidget* play() const { return play_; }
    QListWidget* stop() const { return stop_; }

    void SetDefaults();
    void Apply();

private:
    // Codes chosen in `changed` leave `other`.
    void Exclude(QListWidget* changed, QListWidget* other);

    PbusSetup& setup_;
    QComboBox* port_;
    QComboBox* rate_;
    QComboBox* parity_;
    QComboBox* addresses_[kPbusAddresses];
    QListWidget* play_;
    QListWidget* stop_;
    bool excluding_ = false;
};

// Reads the stored setup, offers the ports that open now, and stores the
// setup when applied; returns the dialog's result.
int RunPbusSetupDialog(QWidget* parent, Registry& registry, std::function<void()> help);

}  // namespace tamberline
