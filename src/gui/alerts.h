#pragma once

#include <QMessageBox>
#include <memory>
#include <string>
#include <vector>

#include "model/client.h"
#include "workflow/workflow_host.h"

namespace corvane {

// What a button of the reset confirmation does.
enum class ResetChoice { resetAndRestart, resetWithoutRestart, cancel };

struct ResetButton {
    std::string title;
    ResetChoice choice;
};

// The reset confirmation's buttons, in order, for a client and whether its
// application is installed.
std::vector<ResetButton> resetButtons(Client client, bool installed);

// The reset confirmation as a message box; each button carries its
// ResetChoice in the "choice" property.
std::unique_ptr<QMessageBox> makeResetConfirmation(Client client, bool installed, QWidget* parent);

// A workflow's yes/no question; the proceeding button is the first and the
// default, the declining one answers Escape.
std::unique_ptr<QMessageBox> makeQuestionBox(const Question& question, QWidget* parent);

// The button of a question box that proceeds.
QAbstractButton* proceedButton(const QMessageBox& box);

}  // namespace corvane
