#pragma once

#include <QLabel>
#include <string_view>

namespace corvane {

// Text and labels shared by the parts of the window.

QString qText(std::string_view value);

// A label of the fixed label column of a field row.
QLabel* fieldLabel(const QString& text, QWidget* parent);

// A section heading in the semibold body font.
QLabel* headingLabel(const QString& text, QWidget* parent);

// A tooltip shows its text as HTML whenever it looks like HTML; this one shows
// `text` as it is.
QString plainToolTip(const QString& text);

// The base font scaled, for callout and caption text.
QFont scaledFont(const QFont& base, double scale, QFont::Weight weight = QFont::Normal);

}  // namespace corvane
