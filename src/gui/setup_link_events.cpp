#include "gui/setup_link_events.h"

#include <QFileOpenEvent>
#include <QLabel>
#include <QLineEdit>

#include "gui/setup_window.h"
#include "workflow/setup_link.h"

namespace corvane {

QLabel* linkOriginLine(QLineEdit& address, QWidget* parent) {
    auto* line = new QLabel(parent);
    line->setObjectName(QStringLiteral("linkOrigin"));
    line->setForegroundRole(QPalette::PlaceholderText);
    line->setTextFormat(Qt::PlainText);
    line->hide();
    QObject::connect(&address, &QLineEdit::textChanged, line, &QWidget::hide);
    return line;
}

SetupLinkEvents::SetupLinkEvents(SetupWindow& window) : QObject(&window), window_(window) {}

bool SetupLinkEvents::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FileOpen) {
        const QUrl url = static_cast<QFileOpenEvent*>(event)->url();
        if (url.scheme().compare(
                QLatin1StringView(kSetupLinkScheme.data(), kSetupLinkScheme.size()),
                Qt::CaseInsensitive) == 0) {
            window_.openLink(url.toString(QUrl::FullyEncoded));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace corvane
