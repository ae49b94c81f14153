#include "defaults/user_defaults.h"

#include <QByteArray>
#include <QSettings>
#include <QString>

namespace corvane {
namespace {

// A fixed organisation and application name, so both front ends read the
// same store whatever their executable is called.
QSettings store() { return QSettings(QStringLiteral("Corvane"), QStringLiteral("Corvane Setup")); }

}  // namespace

std::optional<std::string> UserDefaults::value(const std::string& key) const {
    const QVariant value = store().value(QString::fromStdString(key));
    if (!value.isValid()) return std::nullopt;
    // Not toStdString: Qt compiles that for its own standard library, which
    // need not be the one this program is built with (libc++ on Debian).
    const QByteArray text = value.toString().toUtf8();
    return std::string(text.constData(), static_cast<std::size_t>(text.size()));
}

void UserDefaults::setValue(const std::string& key, const std::string& value) {
    QSettings settings = store();
    settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
    settings.sync();
}

void UserDefaults::remove(const std::string& key) {
    QSettings settings = store();
    settings.remove(QString::fromStdString(key));
    settings.sync();
}

}  // namespace corvane
