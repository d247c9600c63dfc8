#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class QSettings;

namespace tamberline {

// The program's settings: named string, number ("DWORD") and binary values
// in one per-user store. Names compare without regard to case. Failures are
// ignored: every reader keeps the default its caller set first.
class Registry {
public:
    // The user's store (~/.config/Tamberline/Tamberline.conf).
    Registry();
    // A store in the given file; tests use a temporary one.
    explicit Registry(const QString& filePath);
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Replaces `value` only when the named value exists and is non-empty.
    bool GetString(std::string_view name, std::string& value) const;
    void SetString(std::string_view name, const std::string& value);

    // Replaces `value` only when the named value exists and is a number.
    bool GetDword(std::string_view name, uint32_t& value) const;
    void SetDword(std::string_view name, uint32_t value);

    bool GetBinary(std::string_view name, QByteArray& value) const;
    void SetBinary(std::string_view name, const QByteArray& value);

    // On/off settings: 9 means on; any other value, or none, means off.
    bool IsOn(std::string_view name) const;
    void SetOn(std::string_view name, bool on);

    QString FilePath() const;

private:
    QString StoredKey(std::string_view name) const;
    void Store(std::string_view name, const QVariant& value);

    std::unique_ptr<QSettings> settings_;
};

inline constexpr uint32_t kOnValue = 9;

}  // namespace tamberline
