#pragma once

#include <sys/types.h>

#include <string>

namespace tamberline::testing {

// A serial line made of a socat pseudo-terminal pair, started by the test:
// the program opens one end by path, the test's controller the other. The
// line goes away (as a pulled adapter does) when socat is stopped.
class SocatLine {
public:
    explicit SocatLine(const std::string& folder);
    ~SocatLine();
    SocatLine(const SocatLine&) = delete;
    SocatLine& operator=(const SocatLine&) = delete;

    // False (with the reason) when socat is missing or the pair did not come up.
    bool Start(std::string& why);
    void Stop();

    std::string programEnd() const { return programEnd_; }
    std::string controllerEnd() const { return controllerEnd_; }

private:
    std::string programEnd_;
    std::string controllerEnd_;
    pid_t pid_ = -1;
};

}  // namespace tamberline::testing
