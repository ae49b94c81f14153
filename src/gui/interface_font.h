#pragma once

namespace corvane {

// On Linux, makes the CJK font the interface font when it is installed: its
// Latin letters are narrower than the usual default's, so the client names fit
// the fixed-width sidebar, and Chinese and Latin text share one family.
void useInterfaceFont();

}  // namespace corvane
