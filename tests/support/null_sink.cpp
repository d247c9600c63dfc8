#include "support/null_sink.h"

#include <unistd.h>

#include <QProcess>
#include <atomic>

namespace tamberline::testing {

bool Pactl(const QStringList& arguments, QString* output) {
    QProcess pactl;
    pactl.start("pactl", arguments);
    if (!pactl.waitForFinished(10000) || pactl.exitCode() != 0) {
        return false;
    }
    if (output != nullptr) {
        *output = QString::fromUtf8(pactl.readAllStandardOutput()).trimmed();
    }
    return true;
}

NullSink::NullSink(const std::string& namePrefix, const std::string& descriptionPrefix) {
    static std::atomic<int> count{0};
    const std::string id = std::to_string(getpid()) + "_" + std::to_string(++count);
    name_ = namePrefix + "_" + id;
    description_ = descriptionPrefix + "_" + id;
}

NullSink::~NullSink() {
    Unload();
}

bool NullSink::Load() {
    return Loaded() ||
           Pactl({"load-module", "module-null-sink", QString::fromStdString("sink_name=" + name_),
                  QString::fromStdString("sink_properties=device.description=" + description_)},
                 &module_);
}

void NullSink::Unload() {
    if (Loaded()) {
        Pactl({"unload-module", module_});
        module_.clear();
    }
}

}  // namespace tamberline::testing
