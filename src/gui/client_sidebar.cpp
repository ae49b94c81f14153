#include "gui/client_sidebar.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/icons.h"
#include "gui/signal_colours.h"

namespace corvane {
namespace {

constexpr int kWidth = 195;
constexpr int kIconSize = 26;
// Pixel sizes: the sizes are macOS points, where a point is one pixel.
constexpr int kClientFontSize = 13;
constexpr int kMarkWidth = 10;
constexpr int kMarkHeight = 8;
constexpr int kMarkInset = 10;
constexpr int kConfiguredRole = Qt::UserRole;

// A check at the right end of a configured client's row, in the colour that
// means "worked" for the palette.
class ConfiguredMarkDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        if (!index.data(kConfiguredRole).toBool()) return;
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
};

QFont captionFont(const QFont& base, bool semibold) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.85);
    if (semibold) font.setWeight(QFont::DemiBold);
    return font;
}

// The selected row: a tint of the accent behind text in the usual colour, so
// the row reads the same in light and dark palettes, icons included.
QString selectionStyle(const QPalette& palette) {
    const QColor tint = palette.color(QPalette::Active, QPalette::Highlight);
    const QColor ink = palette.color(QPalette::Active, QPalette::WindowText);
    const QColor faded = palette.color(QPalette::Disabled, QPalette::WindowText);
    return QStringLiteral(
               "QListWidget { background: transparent; }"
               "QListWidget::item { padding: 4px 2px; border-radius: 6px; }"
               "QListWidget::item:selected { background: rgba(%1, %2, %3, 0.22);"
               " color: %4; }"
               "QListWidget::item:selected:disabled { color: %5; }")
        .arg(tint.red())
        .arg(tint.green())
        .arg(tint.blue())
        .arg(ink.name(), faded.name());
}

}  // namespace

ClientSidebar::ClientSidebar(std::function<void(Client)> onSelect, QWidget* parent)
    : QWidget(parent), onSelect_(std::move(onSelect)), list_(new QListWidget(this)) {
    setObjectName(QStringLiteral("sidebar"));
    setFixedWidth(kWidth);
    setAutoFillBackground(true);
    QPalette shade = palette();
    QColor background = shade.color(QPalette::Mid);
    background.setAlphaF(0.45);
    shade.setColor(QPalette::Window, background);
    setPalette(shade);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 21, 12, 21);

    auto* header = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(applicationIcon().pixmap(kIconSize, kIconSize));
    icon->setFixedSize(kIconSize, kIconSize);
    auto* caption = new QLabel(QStringLiteral("应用"), this);
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
    list_->setAccessibleName(QStringLiteral("应用"));
    list_->viewport()->setAutoFillBackground(false);
    list_->setItemDelegate(new ConfiguredMarkDelegate(list_));
    paintSelection();
    for (Client client : allClients()) {
        auto* item =
            new QListWidgetItem(clientIcon(client),
                                QString::fromUtf8(rawValue(client).data(),
                                                  static_cast<qsizetype>(rawValue(client).size())),
                                list_);
        QFont itemFont = font();
        itemFont.setPixelSize(kClientFontSize);
        item->setFont(itemFont);
    }
    layout->addWidget(list_, 1);

    // The version line is left out when the program carries no version.
    const QString version = QCoreApplication::applicationVersion();
    if (!version.isEmpty()) {
        auto* versionLine = new QLabel("版本 " + version, this);
        versionLine->setObjectName(QStringLiteral("versionLine"));
        versionLine->setFont(captionFont(font(), false));
        layout->addWidget(versionLine);
    }

    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0 || row >= static_cast<int>(allClients().size())) return;
        onSelect_(allClients()[static_cast<std::size_t>(row)]);
    });
}

void ClientSidebar::paintSelection() { list_->setStyleSheet(selectionStyle(palette())); }

void ClientSidebar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) paintSelection();
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
    const auto position = std::find(allClients().begin(), allClients().end(), client);
    QListWidgetItem* item = list_->item(static_cast<int>(position - allClients().begin()));
    item->setData(kConfiguredRole, configured);
    const QVariant text = configured ? QVariant(QStringLiteral("已配置")) : QVariant();
    item->setData(Qt::ToolTipRole, text);
    item->setData(Qt::AccessibleDescriptionRole, text);
}

}  // namespace corvane
