#pragma once

#include <map>
#include <string>
#include <vector>

namespace tamberline {

// Where this computer's own Samba shares are described and what it is
// called on the network. Tests point both elsewhere.
struct ShareSettings {
    std::string configPath = "/etc/samba/smb.conf";
    std::string hostName;  // empty: this system's host name
};

// The shares of this computer as the Samba configuration lists them.
class OwnShares {
public:
    explicit OwnShares(const ShareSettings& settings);

    // The local folder of share `name` (without regard to case), or "" when
    // this computer has no such share.
    std::string LocalFolder(const std::string& name) const;
    // True when `host` (without regard to case) names this computer: its
    // host name, the host name's first label, or Samba's "netbios name".
    bool IsThisComputer(const std::string& host) const;

private:
    std::vector<std::string> names_;             // lower case
    std::map<std::string, std::string> shares_;  // lower-case name -> folder
};

// Rewrites a network path ("\\host\share\rest" or "//host/share/rest") in
// place: to the share's local folder followed by the rest when it names a
// share of this computer, otherwise to "". Returns whether the path is now
// local.
bool LocalPathOfOwnShare(std::string& path, const OwnShares& shares);
bool LocalPathOfOwnShare(std::string& path, const ShareSettings& settings = {});

}  // namespace tamberline
