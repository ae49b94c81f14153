#pragma once

#include <QWidget>
#include <functional>

#include "model/client.h"

class QListWidget;

namespace corvane {

// The sidebar: the program's icon and caption, one row per client, and the
// program's version at the bottom.
class ClientSidebar : public QWidget {
public:
    ClientSidebar(std::function<void(Client)> onSelect, QWidget* parent = nullptr);

    // Marks the selected client without reporting it back.
    void setSelected(Client client);

    QListWidget* list() const { return list_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void paintSelection();

    std::function<void(Client)> onSelect_;
    QListWidget* list_;
};

}  // namespace corvane
