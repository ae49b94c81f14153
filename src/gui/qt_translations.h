#pragma once

#include "model/language.h"

namespace corvane {

// Makes Qt's own texts (the file chooser, the standard buttons) and its
// default locale speak the window's language. For Chinese that loads Qt's
// Chinese translations; missing translation files leave Qt's English.
void useQtTranslations(Language language);

}  // namespace corvane
