#pragma once

#include <QWidget>
#include <functional>
#include <map>

#include "model/client.h"
#include "workflow/installed_application.h"

class QListWidget;

namespace corvane {

// The sidebar: the program's icon and caption, one row per client (marked
// when the tool's configuration is in its files, greyed when the client is
// not installed), and the program's version at the bottom. Its colours follow
// a switch between light and dark while it is shown.
class ClientSidebar : public QWidget {
public:
    ClientSidebar(std::function<void(Client)> onSelect, QWidget* parent = nullptr);

    // Marks the selected client without reporting it back.
    void setSelected(Client client);

    // Shows or takes away the client's gui.sidebar.configured mark.
    void setConfigured(Client client, bool configured);

    // Greys a client that is not installed (gui.sidebar.not-installed, or
    // gui.sidebar.mac-only on Linux for a client made only for the Mac); the
    // row stays selectable.
    void setInstallation(Client client, Installation installation);

    QListWidget* list() const { return list_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void paintColours();
    void describe(Client client);

    std::function<void(Client)> onSelect_;
    QListWidget* list_;
    std::map<Client, bool> configured_;
    std::map<Client, bool> missing_;
};

}  // namespace corvane
