#pragma once

#include <QIcon>
#include <string_view>

#include "model/client.h"

namespace corvane {

// An icon for one of the symbol names the catalogue and the window use
// ("terminal", "plus", "minus.circle", ...): the freedesktop theme icon of the
// same meaning, else one of the style's standard icons.
QIcon symbolIcon(std::string_view symbolName);

QIcon clientIcon(Client client);

// The program's own icon, drawn for it and shipped as a resource.
QIcon applicationIcon();

}  // namespace corvane
