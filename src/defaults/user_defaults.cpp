#include "defaults/user_defaults.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QString>

namespace corvane {
namespace {

// A fixed organisation and application name, so both front ends read the
// same store whatever their executable is called.
QSettings store() { return QSettings(QStringLiteral("Corvane"), QStringLiteral("Corvane Setup")); }

// The remembered paths tell others which clients the user points where: the
// store's folder is the owner's alone before anything is written, and the
// file after, whatever the umask (later saves keep the file's permissions).
void beforeWriting(const QSettings& settings) {
    const QString folder = QFileInfo(settings.fileName()).absolutePath();
    QDir().mkpath(folder);
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void afterWriting(QSettings& settings) {
    settings.sync();
    QFile::setPermissions(settings.fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

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
    beforeWriting(settings);
    settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
    afterWriting(settings);
}

void UserDefaults::remove(const std::string& key) {
    QSettings settings = store();
    beforeWriting(settings);
    settings.remove(QString::fromStdString(key));
    afterWriting(settings);
}

}  // namespace corvane
