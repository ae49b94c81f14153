#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/client.h"
#include "model/gateway_settings.h"

class QGridLayout;
class QPushButton;

namespace corvane {

// The model lines of the form: a Model ID per row, a display name and a remove
// button where the client supports them, and gui.model-rows.add.
class ModelRowsEditor : public QWidget {
public:
    // `onRebuilt` runs after the row widgets were replaced (to fix the tab
    // order).
    explicit ModelRowsEditor(std::function<void()> onRebuilt, QWidget* parent = nullptr);

    void setClient(Client client);
    void setRows(std::vector<ModelRow> rows);
    const std::vector<ModelRow>& rows() const { return rows_; }

    // A small mark after a row: a connection test's result, `toolTip` its
    // detail. Replacing the rows or editing the row's ID takes it away.
    void setMark(const std::string& rowId, const QString& text, const QString& toolTip,
                 bool passed);
    void clearMarks();

    // The focusable widgets in tab order.
    QList<QWidget*> focusChain() const;

private:
    void rebuild();
    void removeRow(const std::string& id);

    std::function<void()> onRebuilt_;
    Client client_ = Client::claude;
    std::vector<ModelRow> rows_{ModelRow()};
    struct Mark {
        QString text;
        QString toolTip;
        bool passed;
    };
    std::map<std::string, Mark> marks_;
    QGridLayout* grid_;
    QPushButton* addButton_;
    QList<QWidget*> rowWidgets_;
};

}  // namespace corvane
