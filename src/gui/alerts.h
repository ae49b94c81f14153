#pragma once

#include <QMessageBox>
#include <memory>
#include <string>

#include "workflow/reset_question.h"
#include "workflow/workflow_host.h"

namespace corvane {

// The reset confirmation as a message box; each button carries its
// ResetAction in the "action" property.
std::unique_ptr<QMessageBox> makeResetConfirmation(const ResetQuestion& question, QWidget* parent);

// A workflow's yes/no question; the proceeding button is the first and the
// default, the declining one answers Escape.
std::unique_ptr<QMessageBox> makeQuestionBox(const Question& question, QWidget* parent);

// The About box: the program's name in bold over `details`, beside the
// program's icon drawn for the screen (sharp at 2×), with one OK button.
std::unique_ptr<QMessageBox> makeAboutBox(const QString& title, const QString& details,
                                          QWidget* parent);

// The button of a question box that proceeds.
QAbstractButton* proceedButton(const QMessageBox& box);

}  // namespace corvane
