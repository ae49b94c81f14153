#include "gui/download_control.h"

#include <QMenu>
#include <QPushButton>

#include "gui/form_text.h"
#include "gui/icons.h"
#include "model/messages.h"

namespace corvane {
namespace {

QString entryTitle(const OfficialDownload& entry) {
    return qText(translated("gui.download.entry", {{"name", entry.name}}));
}

}  // namespace

QWidget* makeDownloadControl(Client client, const std::function<void(const QUrl&)>& openURL,
                             QWidget* parent) {
    const std::vector<OfficialDownload> entries = officialDownloads(client);
    if (entries.empty()) return nullptr;
    const QIcon icon = symbolIcon("arrow.up.right");
    QWidget* control = nullptr;
    if (entries.size() == 1) {
        auto* link = new QPushButton(icon, entryTitle(entries.front()), parent);
        const QUrl url(QString::fromStdString(entries.front().url));
        QObject::connect(link, &QPushButton::clicked, link, [openURL, url] { openURL(url); });
        control = link;
    } else {
        auto* button = new QPushButton(icon, qText(translated("gui.download.button")), parent);
        auto* menu = new QMenu(button);
        for (const OfficialDownload& entry : entries) {
            QAction* action = menu->addAction(entryTitle(entry));
            const QUrl url(QString::fromStdString(entry.url));
            QObject::connect(action, &QAction::triggered, button, [openURL, url] { openURL(url); });
        }
        button->setMenu(menu);
        control = button;
    }
    control->setObjectName(QStringLiteral("downloadControl"));
    control->setCursor(Qt::PointingHandCursor);
    return control;
}

}  // namespace corvane
