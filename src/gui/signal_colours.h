#pragma once

#include <QColor>
#include <QPalette>

namespace corvane {

// Colours that carry meaning (worked, failed, added, removed), each chosen to
// stay readable on the palette's own background, light or dark.

bool isDarkPalette(const QPalette& palette);
QColor successColor(const QPalette& palette);
QColor failureColor(const QPalette& palette);
// The hunk lines ("@@ … @@") of a diff.
QColor hunkColor(const QPalette& palette);
// The keyboard focus ring: 3:1 and more against the window and the buttons.
QColor focusColor(const QPalette& palette);

}  // namespace corvane
