#include "defaults/user_defaults.h"

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
    return value.toString().toStdString();
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
