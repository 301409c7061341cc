// QSettings-backed settings store with explicit text and number kinds.
#include "settings/settings_store.h"

#include "core/hex_text.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QString>

namespace settings {

namespace {

constexpr const char* number_marker = "dword:";
constexpr const char* text_marker = "text:";

QSettings open_store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope,
                     QStringLiteral("Tarvellic Pinwright"));
}

// INI keys treat '/' and '\' as group separators; the value names of this program hold
// blanks only, which QSettings escapes itself. A backslash selects a sub-key.
QString key_of(const std::string& name) {
    QString key = QString::fromStdString(name);
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return key;
}

struct stored_value {
    bool present = false;
    bool is_number = false;
    std::int32_t number = 0;
    std::string text;
};

stored_value read_raw(const std::string& name) {
    QSettings store = open_store();
    const QVariant raw = store.value(key_of(name));
    stored_value value;
    if (!raw.isValid() || raw.typeId() == QMetaType::QStringList)
        return value;
    const std::string text = raw.toString().toStdString();
    value.present = true;
    if (text.rfind(number_marker, 0) == 0) {
        const std::string digits = text.substr(6);
        if (digits.size() == 8) {
            const auto high = core::hex4_value(core::upper_case(digits.substr(0, 4)));
            const auto low = core::hex4_value(core::upper_case(digits.substr(4, 4)));
            if (high >= 0 && low >= 0) {
                value.is_number = true;
                value.number = static_cast<std::int32_t>((static_cast<std::uint32_t>(high) << 16) |
                                                         static_cast<std::uint32_t>(low));
                return value;
            }
        }
    }
    if (text.rfind(text_marker, 0) == 0)
        value.text = text.substr(5);
    else
        value.text = text;
    return value;
}

void write_raw(const std::string& name, const QString& stored) {
    QSettings store = open_store();
    store.setValue(key_of(name), stored);
    store.sync();
}

} // namespace

void ensure_settings_key() {
    QSettings store = open_store();
    const QFileInfo file(store.fileName());
    QDir().mkpath(file.absolutePath());
}

std::string read_setting_text(const std::string& name, const std::string& default_text) {
    ensure_settings_key();
    const stored_value value = read_raw(name);
    if (value.present) {
        if (value.is_number) {
            // A number read as text yields its first three bytes, low byte first, as the
            // original 4-byte value did without its terminating NUL.
            std::string bytes;
            for (int i = 0; i < 3; ++i)
                bytes +=
                    static_cast<char>((static_cast<std::uint32_t>(value.number) >> (8 * i)) & 0xFF);
            return bytes;
        }
        if (value.text.size() <= max_text_length)
            return value.text;
    }
    write_setting_text(name, default_text);
    return default_text;
}

void write_setting_text(const std::string& name, const std::string& value) {
    ensure_settings_key();
    QString stored = QString::fromStdString(value);
    if (value.rfind(number_marker, 0) == 0 || value.rfind(text_marker, 0) == 0)
        stored.prepend(QLatin1String(text_marker));
    write_raw(name, stored);
}

std::int32_t read_setting_number(const std::string& name, std::int32_t default_number) {
    ensure_settings_key();
    const stored_value value = read_raw(name);
    if (value.present) {
        if (value.is_number)
            return value.number;
        // A short text fits the 4-byte buffer: its bytes and NUL, low byte first.
        if (value.text.size() + 1 <= 4) {
            std::uint32_t bytes = 0;
            for (std::size_t i = 0; i < value.text.size(); ++i)
                bytes |= static_cast<std::uint32_t>(static_cast<unsigned char>(value.text[i]))
                         << (8 * i);
            return static_cast<std::int32_t>(bytes);
        }
    }
    write_setting_number(name, default_number);
    return default_number;
}

void write_setting_number(const std::string& name, std::int32_t value) {
    ensure_settings_key();
    const auto bits = static_cast<std::uint32_t>(value);
    write_raw(name,
              QLatin1String(number_marker) +
                  QString::fromStdString(core::hex4(static_cast<std::int32_t>(bits >> 16)) +
                                         core::hex4(static_cast<std::int32_t>(bits & 0xFFFF))));
}

std::string settings_file_path() {
    return open_store().fileName().toStdString();
}

// The INI format keeps letters, digits, '_', '-' and '.' in a key and writes any other
// byte as %XX.
std::string settings_file_key(const std::string& name) {
    std::string key;
    for (const char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '_' || c == '-' || c == '.')
            key += c;
        else
            key += "%" + core::hex2(static_cast<unsigned char>(c));
    }
    return key;
}

} // namespace settings
