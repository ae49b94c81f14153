#include "gui/icons.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <array>

namespace corvane {
namespace {

struct SymbolIcon {
    std::string_view symbolName;
    const char* themeName;
    QStyle::StandardPixmap fallback;
};

constexpr std::array<SymbolIcon, 9> kSymbols{{
    {"bubble.left", "mail-message-new", QStyle::SP_MessageBoxInformation},
    {"terminal", "utilities-terminal", QStyle::SP_ComputerIcon},
    {"chevron.left.forwardslash.chevron.right", "applications-development", QStyle::SP_FileIcon},
    {"pawprint", "applications-games", QStyle::SP_DriveNetIcon},
    {"briefcase", "applications-office", QStyle::SP_DirIcon},
    {"sparkle", "starred", QStyle::SP_DialogYesButton},
    {"cursorarrow", "input-mouse", QStyle::SP_ArrowRight},
    {"arrow.up.right", "emblem-web", QStyle::SP_ArrowUp},
    {"folder", "document-open", QStyle::SP_DirOpenIcon},
}};

// The style has no plus or minus icon; these two are drawn.
QIcon drawnIcon(bool plus, bool circled) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink =
        circled ? QColor(0xc6, 0x28, 0x28) : QApplication::palette().color(QPalette::ButtonText);
    painter.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
    if (circled) painter.drawEllipse(QRectF(3, 3, 26, 26));
    painter.drawLine(QPointF(10, 16), QPointF(22, 16));
    if (plus) painter.drawLine(QPointF(16, 10), QPointF(16, 22));
    return QIcon(pixmap);
}

}  // namespace

QIcon symbolIcon(std::string_view symbolName) {
    if (symbolName == "plus")
        return QIcon::fromTheme(QStringLiteral("list-add"), drawnIcon(true, false));
    if (symbolName == "minus.circle") {
        return QIcon::fromTheme(QStringLiteral("list-remove"), drawnIcon(false, true));
    }
    for (const SymbolIcon& entry : kSymbols) {
        if (entry.symbolName != symbolName) continue;
        return QIcon::fromTheme(QString::fromLatin1(entry.themeName),
                                QApplication::style()->standardIcon(entry.fallback));
    }
    return {};
}

QIcon clientIcon(Client client) { return symbolIcon(symbolName(client)); }

QIcon applicationIcon() { return QIcon(QStringLiteral(":/corvane-setup.png")); }

}  // namespace corvane
