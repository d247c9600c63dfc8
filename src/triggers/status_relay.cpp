#include "triggers/status_relay.h"

#include <QMetaObject>

namespace tamberline {

void StatusRelay::Show(int field, const std::string& text) {
    std::lock_guard<std::mutex> lock(lock_);
    latest_[field] = text;
    if (!posted_) {
        posted_ = true;
        QMetaObject::invokeMethod(
            &gui_, [this] { Deliver(); }, Qt::QueuedConnection);
    }
}

void StatusRelay::Deliver() {
    std::map<int, std::string> texts;
    {
        std::lock_guard<std::mutex> lock(lock_);
        texts.swap(latest_);
        posted_ = false;
    }
    for (const auto& [field, text] : texts) {
        show_(field, text);
    }
}

}  // namespace tamberline
