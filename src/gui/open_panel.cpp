#include "gui/open_panel.h"

#include <filesystem>

#include "files/config_files.h"
#include "gui/form_text.h"
#include "model/messages.h"
#include "platform/home.h"

namespace corvane {
namespace {

QString startFolder(const QString& chosen, Client client) {
    const std::filesystem::path home = homeDirectory();
    std::filesystem::path candidate;
    if (!chosen.isEmpty()) {
        candidate = std::filesystem::path(chosen.toStdString()).parent_path();
    } else if (const auto path = defaultPath(client); path && path->starts_with("~/")) {
        candidate = (home / path->substr(2)).parent_path();
    }
    std::error_code error;
    if (candidate.empty() || !std::filesystem::is_directory(candidate, error)) candidate = home;
    return QString::fromStdString(candidate.string());
}

}  // namespace

QFileDialog* makeOpenPanel(const QString& chosen, Client client, QWidget* parent) {
    auto* panel = new QFileDialog(parent, qText(translated("gui.connection.configuration-file")));
    panel->setObjectName(QStringLiteral("openPanel"));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setAcceptMode(QFileDialog::AcceptOpen);
    panel->setFileMode(QFileDialog::ExistingFile);
    // The clients keep their files in hidden folders; shown before the panel
    // is pointed at one.
    panel->setFilter(panel->filter() | QDir::Hidden);
    panel->setDirectory(startFolder(chosen, client));
    return panel;
}

}  // namespace corvane
