#pragma once

#include <QIcon>
#include <string_view>

#include "model/client.h"

namespace corvane {

// One of the tool's own line icons by its symbol name ("terminal", "plus",
// "minus.circle", ...), drawn in the palette's text colour at the size and
// pixel ratio it is painted at; a null icon for an unknown name.
QIcon symbolIcon(std::string_view symbolName, bool faded = false);

// `faded`: greyed, for a client that is not installed.
QIcon clientIcon(Client client, bool faded = false);

// The program's own icon, drawn for it and shipped as a resource.
QIcon applicationIcon();

// The program's icon drawn from its SVG at `size` points for a screen of
// `ratio` pixels a point: sharp at 2×, where the bitmap would be scaled.
QPixmap applicationPixmap(int size, qreal ratio);

}  // namespace corvane
