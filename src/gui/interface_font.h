#pragma once

#include <QFont>

namespace corvane {

// On Linux, makes the CJK font the interface font where it is installed: its
// Latin letters are narrower than the usual default's, so the client names fit
// the fixed-width sidebar, and Chinese and Latin text share one family.
void useInterfaceFont();

// A font whose letters all have one width, for text set in columns (a diff).
// The CJK monospace family the package recommends comes first, then common
// ones, then the system's fixed font; the first whose letters measure equal
// wins, since Qt calls some monospace fonts (Noto Sans Mono) proportional.
QFont monospaceFont();

}  // namespace corvane
