#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "model/client.h"
#include "model/gateway_settings.h"

class QLabel;

namespace corvane {

class ModelRowsEditor;

// The model part of the form: the client's explanatory line above the rows.
class ModelForm : public QWidget {
public:
    // `onRebuilt` runs after the row widgets were replaced.
    explicit ModelForm(std::function<void()> onRebuilt, QWidget* parent = nullptr);

    void setClient(Client client);
    void setRows(std::vector<ModelRow> rows);
    const std::vector<ModelRow>& rows() const;

    // The focusable widgets in tab order.
    QList<QWidget*> focusChain() const;

    ModelRowsEditor* editor() const { return editor_; }

private:
    QLabel* hint_;
    ModelRowsEditor* editor_;
};

}  // namespace corvane
