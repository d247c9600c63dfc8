#include "fwreg/ufw.h"

#include <QProcess>
#include <QStandardPaths>
#include <charconv>
#include <string>
#include <vector>

namespace wickett {

namespace {

// "ufw status" answers at once; a hung command must not hold an install.
constexpr int kTimeoutMs = 10000;

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t at = 0;
    while (at < line.size()) {
        const size_t start = line.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos) {
            break;
        }
        const size_t end = line.find_first_of(" \t\r", start);
        fields.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
        at = end == std::string_view::npos ? line.size() : end;
    }
    return fields;
}

bool ParseNumber(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// "4320", "4320/udp", "4000:4400/udp": does it cover UDP 4320?
bool CoversLinkPort(std::string_view target) {
    std::string_view ports = target;
    if (const size_t slash = target.find('/'); slash != std::string_view::npos) {
        if (target.substr(slash + 1) != "udp") {
            return false;
        }
        ports = target.substr(0, slash);
    }
    int low = 0;
    int high = 0;
    if (const size_t colon = ports.find(':'); colon != std::string_view::npos) {
        if (!ParseNumber(ports.substr(0, colon), low) ||
            !ParseNumber(ports.substr(colon + 1), high)) {
            return false;
        }
    } else if (ParseNumber(ports, low)) {
        high = low;
    } else {
        return false;
    }
    return low <= kLinkPort && kLinkPort <= high;
}

}  // namespace

bool UfwStatusActive(std::string_view status) {
    for (size_t at = 0; at < status.size();) {
        const size_t end = status.find('\n', at);
        const std::vector<std::string_view> fields =
            Fields(status.substr(at, end == std::string_view::npos ? end : end - at));
        if (fields.size() == 2 && fields[0] == "Status:") {
            return fields[1] == "active";
        }
        at = end == std::string_view::npos ? status.size() : end + 1;
    }
    return false;
}

bool UfwStatusAllowsLinkPort(std::string_view status) {
    for (size_t at = 0; at < status.size();) {
        const size_t end = status.find('\n', at);
        const std::vector<std::string_view> fields =
            Fields(status.substr(at, end == std::string_view::npos ? end : end - at));
        // "4320/udp  ALLOW  Anywhere" or "4320/udp (v6)  ALLOW IN  Anywhere (v6)"
        size_t action = 1;
        if (fields.size() > 1 && fields[1] == "(v6)") {
            action = 2;
        }
        if (fields.size() > action && CoversLinkPort(fields[0]) && fields[action] == "ALLOW") {
            return true;
        }
        at = end == std::string_view::npos ? status.size() : end + 1;
    }
    return false;
}

QString FindUfw() {
    const QString name = QStringLiteral("ufw");
    QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty()) {
        found = QStandardPaths::findExecutable(
            name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    }
    return found;
}

bool Ufw::Run(const QStringList& arguments, QByteArray* output) const {
    if (program_.isEmpty()) {
        return false;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program_, arguments);
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output) {
        *output = process.readAllStandardOutput();
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool Ufw::IsActive() {
    QByteArray status;
    return Run({QStringLiteral("status")}, &status) && UfwStatusActive(status.toStdString());
}

bool Ufw::AllowsLinkPort() {
    QByteArray status;
    return Run({QStringLiteral("status")}, &status) &&
           UfwStatusAllowsLinkPort(status.toStdString());
}

void Ufw::AllowLinkPort() {
    Run({QStringLiteral("allow"), QString::number(kLinkPort) + QStringLiteral("/udp"),
         QStringLiteral("comment"), QString::fromLatin1(kEntryName)});
}

}  // namespace wickett
