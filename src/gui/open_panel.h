#pragma once

#include <QFileDialog>

#include "model/client.h"

namespace corvane {

// The open panel for a configuration file: one existing file, hidden folders
// shown, starting in the folder of `chosen`, else of the client's usual file,
// else in the home folder. It deletes itself when closed.
QFileDialog* makeOpenPanel(const QString& chosen, Client client, QWidget* parent);

}  // namespace corvane
