#include "gui/icons.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

#include "gui/line_icon_engine.h"

namespace corvane {

QIcon symbolIcon(std::string_view symbolName, bool faded) {
    const QString resource =
        QStringLiteral(":/icons/%1.svg")
            .arg(QString::fromLatin1(symbolName.data(), static_cast<qsizetype>(symbolName.size())));
    if (!QFile::exists(resource)) return {};
    return QIcon(new LineIconEngine(resource, faded));
}

QIcon clientIcon(Client client, bool faded) { return symbolIcon(symbolName(client), faded); }

QIcon applicationIcon() { return QIcon(QStringLiteral(":/corvane-setup.png")); }

QPixmap applicationPixmap(int size, qreal ratio) {
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/corvane-setup.svg"));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

}  // namespace corvane
