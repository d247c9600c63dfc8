#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "session/settings.h"

class QSettings;

namespace tamberline {

// The program's settings: string, number ("DWORD") and binary values in one
// per-user store, named by the settings table. Names compare without regard
// to case. Failures are ignored: every reader keeps its default.
class Registry {
public:
    // The user's store (~/.config/Tamberline/Tamberline.conf).
    Registry();
    // A store in the given file; tests use a temporary one.
    explicit Registry(const QString& filePath);
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Replaces `value` only when the value exists and is non-empty.
    bool GetString(const StringSetting& setting, std::string& value) const;
    // The stored text, or the setting's default.
    std::string String(const StringSetting& setting) const;
    void SetString(const StringSetting& setting, const std::string& value);

    // Replaces `value` only when the value exists and is a number.
    bool GetDword(const DwordSetting& setting, uint32_t& value) const;
    // The stored number, or the setting's default.
    uint32_t Dword(const DwordSetting& setting) const;
    void SetDword(const DwordSetting& setting, uint32_t value);

    bool GetBinary(const BinarySetting& setting, QByteArray& value) const;
    void SetBinary(const BinarySetting& setting, const QByteArray& value);

    bool IsOn(const SwitchSetting& setting) const;
    void SetOn(const SwitchSetting& setting, bool on);

    QString FilePath() const;

private:
    bool ReadString(std::string_view name, std::string& value) const;
    bool ReadDword(std::string_view name, uint32_t& value) const;
    QString StoredKey(std::string_view name) const;
    void Store(std::string_view name, const QVariant& value);

    std::unique_ptr<QSettings> settings_;
};

inline constexpr uint32_t kOnValue = 9;

}  // namespace tamberline
