#include "gui/client_sidebar.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

#include "gui/form_text.h"
#include "gui/icons.h"
#include "gui/signal_colours.h"
#include "model/messages.h"

namespace corvane {
namespace {

constexpr int kWidth = 195;
constexpr int kIconSize = 26;
// Pixel sizes: the sizes are macOS points, where a point is one pixel.
constexpr int kClientFontSize = 13;
constexpr int kMarkWidth = 10;
constexpr int kMarkHeight = 8;
constexpr int kMarkInset = 4;
constexpr int kRowPadding = 2;
// A configured client's name stops this far from the row's right end, clear
// of the mark; the others use the whole row.
constexpr int kNameEnd = kMarkInset + kMarkWidth + 4;
constexpr double kShadeOpacity = 0.45;
constexpr double kTintOpacity = 0.22;
constexpr qreal kRowRadius = 6;
constexpr int kConfiguredRole = Qt::UserRole;
// The icon in full ink, for the selected row of a client that is not installed.
constexpr int kInkIconRole = Qt::UserRole + 1;

// A check at the right end of a configured client's row, in the colour that
// means "worked" for the palette.
class ConfiguredMarkDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shown = option;
        initStyleOption(&shown, index);
        const bool configured = index.data(kConfiguredRole).toBool();
        if (configured) shown.rect.setRight(shown.rect.right() - (kNameEnd - kRowPadding));
        if (option.state & QStyle::State_Selected) {
            paintSelection(painter, option);
            shown.state &= ~QStyle::State_Selected;
            // The selected client stays in the usual ink, greyed neither by a
            // run that disables the list nor as not installed: grey on the
            // tint reads at about 1:1.
            const QColor ink = option.palette.color(QPalette::Active, QPalette::WindowText);
            for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
                shown.palette.setColor(group, QPalette::Text, ink);
            }
            shown.icon = qvariant_cast<QIcon>(index.data(kInkIconRole));
        }
        const QWidget* view = option.widget;
        QStyle* style = view ? view->style() : QApplication::style();
        // The style's dotted focus frame would vanish on the tint: the row
        // gets a ring of its own, after a keyboard focus change as styles do.
        const bool ringed = (option.state & QStyle::State_HasFocus) && view &&
                            view->window()->testAttribute(Qt::WA_KeyboardFocusChange);
        shown.state &= ~QStyle::State_HasFocus;
        style->drawControl(QStyle::CE_ItemViewItem, &shown, painter, view);
        if (ringed) paintFocusRing(painter, option.rect, view->window()->palette());
        if (!configured) return;
        const QRectF box(option.rect.right() - kMarkInset - kMarkWidth,
                         option.rect.center().y() - kMarkHeight / 2.0, kMarkWidth, kMarkHeight);
        QPainterPath check;
        check.moveTo(box.left(), box.top() + box.height() * 0.55);
        check.lineTo(box.left() + box.width() * 0.38, box.bottom());
        check.lineTo(box.right(), box.top());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(
            QPen(successColor(option.palette), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->drawPath(check);
        painter->restore();
    }

private:
    // A tint of the accent behind the row, so that it reads the same in
    // light and dark palettes, icons included.
    static void paintFocusRing(QPainter* painter, const QRect& row, const QPalette& palette) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(focusColor(palette), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(row).adjusted(1, 1, -1, -1), kRowRadius - 1,
                                 kRowRadius - 1);
        painter->restore();
    }

    static void paintSelection(QPainter* painter, const QStyleOptionViewItem& option) {
        QColor tint = option.palette.color(QPalette::Active, QPalette::Highlight);
        tint.setAlphaF(kTintOpacity);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(tint);
        painter->drawRoundedRect(QRectF(option.rect), kRowRadius, kRowRadius);
        painter->restore();
    }
};

QFont captionFont(const QFont& base, bool semibold) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.85);
    if (semibold) font.setWeight(QFont::DemiBold);
    return font;
}

QColor shadeOf(const QPalette& palette) {
    QColor shade = palette.color(QPalette::Mid);
    shade.setAlphaF(kShadeOpacity);
    return shade;
}

// The rows' room; the delegate paints the selection.
QString rowStyle() {
    return QStringLiteral(
               "QListWidget { background: transparent; }"
               "QListWidget::item { padding: 4px %1px; border: none; }")
        .arg(kRowPadding);
}

}  // namespace

ClientSidebar::ClientSidebar(std::function<void(Client)> onSelect, QWidget* parent)
    : QWidget(parent), onSelect_(std::move(onSelect)), list_(new QListWidget(this)) {
    setObjectName(QStringLiteral("sidebar"));
    setFixedWidth(kWidth);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 21, 12, 21);

    auto* header = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(applicationPixmap(kIconSize, devicePixelRatioF()));
    icon->setFixedSize(kIconSize, kIconSize);
    auto* caption = new QLabel(qText(translated("gui.sidebar.caption")), this);
    caption->setFont(captionFont(font(), true));
    header->addWidget(icon);
    header->addWidget(caption);
    header->addStretch();
    layout->addLayout(header);

    list_->setObjectName(QStringLiteral("clientList"));
    list_->setFrameShape(QFrame::NoFrame);
    list_->setIconSize(QSize(16, 16));
    list_->setSpacing(1);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setTextElideMode(Qt::ElideRight);
    list_->setAccessibleName(qText(translated("gui.sidebar.caption")));
    list_->viewport()->setAutoFillBackground(false);
    list_->setItemDelegate(new ConfiguredMarkDelegate(list_));
    list_->setStyleSheet(rowStyle());
    for (Client client : allClients()) {
        const QString name = QString::fromStdString(clientLabel(client));
        auto* item = new QListWidgetItem(clientIcon(client), name, list_);
        item->setData(Qt::AccessibleTextRole, name);
        item->setData(kInkIconRole, clientIcon(client));
        QFont itemFont = font();
        itemFont.setPixelSize(kClientFontSize);
        item->setFont(itemFont);
    }
    paintColours();
    layout->addWidget(list_, 1);

    // The version line is left out when the program carries no version.
    const QString version = QCoreApplication::applicationVersion();
    if (!version.isEmpty()) {
        auto* versionLine = new QLabel(
            qText(translated("gui.app.version", {{"version", version.toStdString()}})), this);
        versionLine->setObjectName(QStringLiteral("versionLine"));
        versionLine->setFont(captionFont(font(), false));
        layout->addWidget(versionLine);
    }

    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0 || row >= static_cast<int>(allClients().size())) return;
        onSelect_(allClients()[static_cast<std::size_t>(row)]);
    });
}

// The shade is the only colour set on the sidebar itself; the rest is read
// from the palette, which a switch between light and dark replaces.
void ClientSidebar::paintColours() {
    QPalette shaded = palette();
    const QPalette inherited =
        parentWidget() ? parentWidget()->palette() : QGuiApplication::palette();
    const QColor shade = shadeOf(inherited);
    if (shaded.color(QPalette::Window) != shade) {
        shaded.setColor(QPalette::Window, shade);
        setPalette(shaded);
    }
    // The list's style sheet fixed its palette when it was polished: polished
    // again, its names take the new palette's ink instead of the old one's.
    list_->style()->unpolish(list_);
    list_->style()->polish(list_);
    for (Client client : allClients()) describe(client);
}

void ClientSidebar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ThemeChange) {
        paintColours();
    }
    QWidget::changeEvent(event);
}

void ClientSidebar::setSelected(Client client) {
    const QSignalBlocker blocker(list_);
    for (int row = 0; row < list_->count(); ++row) {
        QListWidgetItem* item = list_->item(row);
        const bool selected = allClients()[static_cast<std::size_t>(row)] == client;
        QFont itemFont = item->font();
        itemFont.setWeight(selected ? QFont::DemiBold : QFont::Normal);
        item->setFont(itemFont);
        if (selected) list_->setCurrentRow(row);
    }
}

void ClientSidebar::setConfigured(Client client, bool configured) {
    configured_[client] = configured;
    describe(client);
}

void ClientSidebar::setInstallation(Client client, Installation installation) {
    missing_[client] = installation == Installation::missing;
    describe(client);
}

// The row's look and its words for tooltips and screen readers.
void ClientSidebar::describe(Client client) {
    const auto position = std::find(allClients().begin(), allClients().end(), client);
    QListWidgetItem* item = list_->item(static_cast<int>(position - allClients().begin()));
    if (!item) return;
    const bool configured = configured_[client];
    const bool missing = missing_[client];
    item->setData(kConfiguredRole, configured);
    std::vector<std::string> notes;
    if (missing) {
#ifdef __APPLE__
        notes.push_back(translated("gui.sidebar.not-installed"));
#else
        notes.push_back(hasLinuxBuild(client) ? translated("gui.sidebar.not-installed")
                                              : translated("gui.sidebar.mac-only"));
#endif
    }
    if (configured) notes.push_back(translated("gui.sidebar.configured"));
    QVariant text;
    if (notes.size() == 1) text = qText(notes[0]);
    if (notes.size() == 2) {
        text =
            qText(translated("gui.sidebar.two-notes", {{"first", notes[0]}, {"second", notes[1]}}));
    }
    item->setData(Qt::ToolTipRole, text);
    item->setData(Qt::AccessibleDescriptionRole, text);
    item->setIcon(clientIcon(client, missing));
    item->setData(
        Qt::ForegroundRole,
        missing ? QVariant(palette().color(QPalette::Disabled, QPalette::WindowText)) : QVariant());
}

}  // namespace corvane
