#pragma once

#include <QWidget>
#include <functional>

#include "model/client.h"
#include "workflow/setup_form.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

// gui.connection.heading: the gateway address, the key, the authentication
// scheme and, where the client has a usual file, the configuration path with
// its choose button.
class ConnectionForm : public QWidget {
public:
    // `onChoosePath` runs when the choose button is pressed.
    ConnectionForm(std::function<void()> onChoosePath, QWidget* parent = nullptr);

    // Shows the rows the client has; the typed values stay.
    void setClient(Client client);

    // Blank values, the scheme back to "bearer" and `storedPath` as the path.
    void clear(const QString& storedPath);
    void clearKey();
    // The address and scheme an import link gives; the key and path stay.
    void setGateway(const QString& address, const QString& auth);

    QString chosenPath() const;
    void setChosenPath(const QString& path);

    // Copies address, key, scheme and path into `form`.
    void fill(SetupForm& form) const;

    QLineEdit* addressField() const { return address_; }

    // The focusable widgets in tab order.
    QList<QWidget*> focusChain() const;

private:
    QFormLayout* fields_;
    QLabel* protocolName_;
    QLineEdit* address_;
    QLineEdit* key_;
    QComboBox* auth_;
    QLineEdit* chosenPath_ = nullptr;
    QPushButton* choosePath_ = nullptr;
};

}  // namespace corvane
