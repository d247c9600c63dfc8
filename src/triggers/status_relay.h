#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace tamberline {

// Hands status-field texts from a port's thread to the GUI thread without
// either side waiting: only the latest text of each field is kept and one
// delivery is outstanding at a time, so a flood of messages never floods
// the window. Made on the GUI thread; deliveries die with it.
class StatusRelay {
public:
    using ShowFn = std::function<void(int field, const std::string& text)>;

    explicit StatusRelay(ShowFn show) : show_(std::move(show)) {}

    // Any thread.
    void Show(int field, const std::string& text);

private:
    void Deliver();

    ShowFn show_;
    QObject gui_;
    std::mutex lock_;
    std::map<int, std::string> latest_;
    bool posted_ = false;
};

}  // namespace tamberline
