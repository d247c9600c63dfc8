#include "socat_line.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace tamberline::testing {

SocatLine::SocatLine(const std::string& folder)
    : programEnd_(folder + "/ttyProgram"), controllerEnd_(folder + "/ttyController") {}

SocatLine::~SocatLine() {
    Stop();
}

bool SocatLine::Start(std::string& why) {
    if (access("/usr/bin/socat", X_OK) != 0) {
        why = "socat is not installed";
        return false;
    }
    const std::string a = "pty,raw,echo=0,link=" + programEnd_;
    const std::string b = "pty,raw,echo=0,link=" + controllerEnd_;
    pid_ = fork();
    if (pid_ == 0) {
        execl("/usr/bin/socat", "socat", a.c_str(), b.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid_ < 0) {
        why = "cannot start socat";
        return false;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < until) {
        if (access(programEnd_.c_str(), F_OK) == 0 && access(controllerEnd_.c_str(), F_OK) == 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    why = "socat's pseudo-terminals did not appear";
    Stop();
    return false;
}

void SocatLine::Stop() {
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

}  // namespace tamberline::testing
