#include "gui/signal_colours.h"

namespace corvane {

// Light text marks a dark palette even where the background is a tint (the
// sidebar's is a see-through shade of Mid).
bool isDarkPalette(const QPalette& palette) {
    return palette.color(QPalette::WindowText).lightness() >
           palette.color(QPalette::Window).lightness();
}

QColor successColor(const QPalette& palette) {
    return isDarkPalette(palette) ? QColor(0x5f, 0xd0, 0x72) : QColor(0x1f, 0x7a, 0x2c);
}

QColor failureColor(const QPalette& palette) {
    return isDarkPalette(palette) ? QColor(0xff, 0x6b, 0x5f) : QColor(0xc6, 0x28, 0x28);
}

QColor hunkColor(const QPalette& palette) {
    return isDarkPalette(palette) ? QColor(0x79, 0xb8, 0xff) : QColor(0x0b, 0x5c, 0xad);
}

QColor focusColor(const QPalette& palette) {
    return isDarkPalette(palette) ? QColor(0x79, 0xb8, 0xff) : QColor(0x0b, 0x5c, 0xad);
}

}  // namespace corvane
