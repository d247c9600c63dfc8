#pragma once

#include <QString>
#include <QStringList>
#include <string_view>

#include "fwreg/firewall.h"

namespace wickett {

// ufw, through its command: "ufw status" tells whether it is active and
// which ports it lets in; "ufw allow 4320/udp comment Tamberline" adds the
// player's rule (kept by ufw across restarts).
class Ufw final : public Firewall {
public:
    // `program`: the ufw command; empty when it is not installed.
    explicit Ufw(QString program) : program_(std::move(program)) {}

    bool IsActive() override;
    bool AllowsLinkPort() override;
    void AllowLinkPort() override;

private:
    bool Run(const QStringList& arguments, QByteArray* output = nullptr) const;

    QString program_;
};

// The ufw command on PATH, else in the system folders; empty when none.
QString FindUfw();

// Reading the text of "ufw status".
bool UfwStatusActive(std::string_view status);
// A rule lets UDP 4320 in: "4320/udp", "4320" (both protocols) or a UDP
// range holding it, with the action ALLOW.
bool UfwStatusAllowsLinkPort(std::string_view status);

}  // namespace wickett
