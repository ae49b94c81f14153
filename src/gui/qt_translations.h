#pragma once

namespace corvane {

// Loads Qt's own Chinese translations, so the file chooser and the standard
// buttons speak the window's language, and makes Chinese the default locale.
// Missing translation files leave Qt's English in place.
void useChineseQtTranslations();

}  // namespace corvane
