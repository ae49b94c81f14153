#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>

#include "model/client.h"

namespace corvane {

// The client's official download pages: none, one link button, or a menu of
// them. Null when the client has none. `openURL` opens a chosen page.
QWidget* makeDownloadControl(Client client, const std::function<void(const QUrl&)>& openURL,
                             QWidget* parent);

}  // namespace corvane
