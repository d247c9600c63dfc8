#include "session/registry.h"

#include <QSettings>
#include <QStandardPaths>

namespace tamberline {

namespace {

// A '/' or '\' in a value name (device names may hold them) would split
// the name into groups; they are kept escaped in the file.
QString EncodeName(std::string_view name) {
    QString key = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    key.replace(QLatin1Char('%'), QLatin1String("%25"));
    key.replace(QLatin1Char('/'), QLatin1String("%2F"));
    key.replace(QLatin1Char('\\'), QLatin1String("%5C"));
    return key;
}

QString UserStorePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1String("/Tamberline/Tamberline.conf");
}

}  // namespace

Registry::Registry() : Registry(UserStorePath()) {}

Registry::Registry(const QString& filePath)
    : settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

Registry::~Registry() = default;

QString Registry::FilePath() const {
    return settings_->fileName();
}

QString Registry::StoredKey(std::string_view name) const {
    const QString wanted = EncodeName(name);
    if (settings_->contains(wanted)) {
        return wanted;
    }
    const QStringList keys = settings_->childKeys();
    for (const QString& key : keys) {
        if (key.compare(wanted, Qt::CaseInsensitive) == 0) {
            return key;
        }
    }
    return {};
}

void Registry::Store(std::string_view name, const QVariant& value) {
    const QString existing = StoredKey(name);
    settings_->setValue(existing.isEmpty() ? EncodeName(name) : existing, value);
    settings_->sync();
}

bool Registry::ReadString(std::string_view name, std::string& value) const {
    const QString key = StoredKey(name);
    if (key.isEmpty()) {
        return false;
    }
    const QString text = settings_->value(key).toString();
    if (text.isEmpty()) {
        return false;
    }
    value = text.toStdString();
    return true;
}

bool Registry::GetString(const StringSetting& setting, std::string& value) const {
    return ReadString(setting.name, value);
}

std::string Registry::String(const StringSetting& setting) const {
    std::string value = setting.fallback;
    ReadString(setting.name, value);
    return value;
}

void Registry::SetString(const StringSetting& setting, const std::string& value) {
    Store(setting.name, QString::fromStdString(value));
}

bool Registry::ReadDword(std::string_view name, uint32_t& value) const {
    const QString key = StoredKey(name);
    if (key.isEmpty()) {
        return false;
    }
    bool ok = false;
    const uint number = settings_->value(key).toUInt(&ok);
    if (!ok) {
        return false;
    }
    value = number;
    return true;
}

bool Registry::GetDword(const DwordSetting& setting, uint32_t& value) const {
    return ReadDword(setting.name, value);
}

uint32_t Registry::Dword(const DwordSetting& setting) const {
    uint32_t value = setting.fallback;
    ReadDword(setting.name, value);
    return value;
}

void Registry::SetDword(const DwordSetting& setting, uint32_t value) {
    Store(setting.name, value);
}

bool Registry::GetBinary(const BinarySetting& setting, QByteArray& value) const {
    const QString key = StoredKey(setting.name);
    if (key.isEmpty()) {
        return false;
    }
    const QVariant stored = settings_->value(key);
    if (stored.typeId() != QMetaType::QByteArray) {
        return false;
    }
    value = stored.toByteArray();
    return true;
}

void Registry::SetBinary(const BinarySetting& setting, const QByteArray& value) {
    Store(setting.name, value);
}

bool Registry::IsOn(const SwitchSetting& setting) const {
    uint32_t value = 0;
    return ReadDword(setting.name, value) && value == kOnValue;
}

void Registry::SetOn(const SwitchSetting& setting, bool on) {
    Store(setting.name, on ? kOnValue : 0u);
}

}  // namespace tamberline
