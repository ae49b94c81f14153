#pragma once

#include <QWidget>
#include <functional>

#include "model/client.h"

class QListWidget;

namespace corvane {

// The sidebar: the program's icon and caption, one row per client (marked
// when the tool's configuration is in its files), and the program's version
// at the bottom.
class ClientSidebar : public QWidget {
public:
    ClientSidebar(std::function<void(Client)> onSelect, QWidget* parent = nullptr);

    // Marks the selected client without reporting it back.
    void setSelected(Client client);

    // Shows or takes away the client's "已配置" mark.
    void setConfigured(Client client, bool configured);

    QListWidget* list() const { return list_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void paintSelection();

    std::function<void(Client)> onSelect_;
    QListWidget* list_;
};

}  // namespace corvane
