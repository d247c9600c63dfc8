#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace tamberline::testing {

// Runs pactl against the test sound server; its trimmed output goes to
// `output`. False when it cannot run or fails.
bool Pactl(const QStringList& arguments, QString* output = nullptr);

// A null sink of one test's own on the shared test sound server, so tests
// running side by side never hear each other. Its name and description
// carry the process id and a count; it is unloaded when it goes.
class NullSink {
public:
    NullSink(const std::string& namePrefix, const std::string& descriptionPrefix);
    ~NullSink();
    NullSink(const NullSink&) = delete;
    NullSink& operator=(const NullSink&) = delete;

    bool Load();
    void Unload();
    bool Loaded() const { return !module_.isEmpty(); }
    const std::string& Name() const { return name_; }
    const std::string& Description() const { return description_; }
    // How capture devices list the sink's monitor.
    std::string MonitorDescription() const { return "Monitor of " + description_; }

private:
    std::string name_;
    std::string description_;
    QString module_;
};

}  // namespace tamberline::testing
