#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

class QLocalServer;

namespace tamberline {

// A control socket for end-to-end tests, opened only when the environment
// names it (TAMBERLINE_TEST_CONTROL=<socket path>). Each line received is
// one command; each gets one line back. Never opened otherwise.
class TestControl final : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<std::string(const std::string& line)>;
    TestControl(const QString& path, Handler handler, QObject* parent = nullptr);
    bool listening() const;

private:
    QLocalServer* server_ = nullptr;
    Handler handler_;
};

}  // namespace tamberline
