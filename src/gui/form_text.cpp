#include "gui/form_text.h"

namespace corvane {
namespace {

constexpr int kLabelWidth = 104;

}  // namespace

QString qText(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

QLabel* fieldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFixedWidth(kLabelWidth);
    return label;
}

QLabel* headingLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(scaledFont(label->font(), 1.0, QFont::DemiBold));
    return label;
}

QString plainToolTip(const QString& text) {
    return QStringLiteral("<p>%1</p>").arg(text.toHtmlEscaped());
}

QFont scaledFont(const QFont& base, double scale, QFont::Weight weight) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * scale);
    font.setWeight(weight);
    return font;
}

}  // namespace corvane
