#include "songlist/own_shares.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <string_view>

#include "base/path_parts.h"
#include "songlist/byte_source.h"

namespace tamberline {
namespace {

// smb.conf is a short text; anything larger is not read.
constexpr size_t kMaxConfigBytes = 1 << 20;

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return lower;
}

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Samba ignores case and blanks in parameter names: "NetBIOS Name" is
// "netbiosname".
std::string ParameterName(std::string_view key) {
    std::string name;
    for (char c : Lower(key)) {
        if (c != ' ' && c != '\t') {
            name += c;
        }
    }
    return name;
}

std::string SystemHostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof(name) - 1) != 0) {
        return {};
    }
    return name;
}

// The configuration's logical lines: a line ending in "\" goes on in the
// next one.
std::vector<std::string> LogicalLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line.back() == '\\') {
            current.append(line.substr(0, line.size() - 1));
            continue;
        }
        current.append(line);
        lines.push_back(std::move(current));
        current.clear();
    }
    if (!current.empty()) {
        lines.push_back(std::move(current));
    }
    return lines;
}

}  // namespace

OwnShares::OwnShares(const ShareSettings& settings) {
    const std::string host =
        Lower(settings.hostName.empty() ? SystemHostName() : settings.hostName);
    if (!host.empty()) {
        names_.push_back(host);
        names_.push_back(host.substr(0, host.find('.')));
    }
    std::string config;
    if (!ReadWholeFile(settings.configPath, kMaxConfigBytes, config)) {
        return;
    }
    std::string section;
    for (const std::string& line : LogicalLines(config)) {
        if (line.empty() || line[0] == '#' || line[0] == ';') {
            continue;
        }
        if (line[0] == '[') {
            const size_t close = line.find(']');
            section = close == std::string::npos
                          ? std::string()
                          : Lower(Trim(std::string_view(line).substr(1, close - 1)));
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos || section.empty()) {
            continue;
        }
        const std::string key = ParameterName(std::string_view(line).substr(0, equals));
        const std::string value(Trim(std::string_view(line).substr(equals + 1)));
        if (section == "global") {
            if (key == "netbiosname" && !value.empty()) {
                names_.push_back(Lower(value));
            }
        } else if ((key == "path" || key == "directory") && !value.empty()) {
            shares_[section] = value;
        }
    }
}

std::string OwnShares::LocalFolder(const std::string& name) const {
    const auto share = shares_.find(Lower(name));
    return share == shares_.end() ? std::string() : share->second;
}

bool OwnShares::IsThisComputer(const std::string& host) const {
    const std::string lower = Lower(host);
    return !lower.empty() && std::find(names_.begin(), names_.end(), lower) != names_.end();
}

bool LocalPathOfOwnShare(std::string& path, const OwnShares& shares) {
    const std::string network = path;
    path.clear();
    if (!IsNetworkPath(network)) {
        return false;
    }
    const size_t hostEnd = network.find_first_of("/\\", 2);
    if (hostEnd == std::string::npos || !shares.IsThisComputer(network.substr(2, hostEnd - 2))) {
        return false;
    }
    size_t shareEnd = network.find_first_of("/\\", hostEnd + 1);
    if (shareEnd == std::string::npos) {
        shareEnd = network.size();
    }
    std::string folder = shares.LocalFolder(network.substr(hostEnd + 1, shareEnd - hostEnd - 1));
    if (folder.empty()) {
        return false;
    }
    std::string rest = network.substr(shareEnd);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    // The folder's trailing separator gives way to the rest's own; the
    // root folder stays "/" on its own.
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    if (folder == "/" && !rest.empty()) {
        folder.clear();
    }
    path = folder + rest;
    return true;
}

bool LocalPathOfOwnShare(std::string& path, const ShareSettings& settings) {
    return LocalPathOfOwnShare(path, OwnShares(settings));
}

}  // namespace tamberline
