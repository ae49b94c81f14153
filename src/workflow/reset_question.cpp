#include "workflow/reset_question.h"

#include "model/messages.h"

namespace corvane {

ResetQuestion resetQuestion(Client client, bool installed) {
    ResetQuestion question{
        translated("workflow.reset.question.title", {{"client", clientLabel(client)}}),
        translated("workflow.reset.question.text"),
        {}};
    if (!installed) {
        question.choices.push_back({translated("workflow.reset.question.reset"),
                                    ChoiceRole::destructive, ResetAction::resetWithoutRestart});
    } else {
        question.choices.push_back({translated("workflow.reset.question.reset-restart"),
                                    ChoiceRole::destructive, ResetAction::resetAndRestart});
        if (!mustRestartForChange(client)) {
            question.choices.push_back({translated("workflow.reset.question.reset-later"),
                                        ChoiceRole::destructive, ResetAction::resetWithoutRestart});
        }
    }
    question.choices.push_back(
        {translated("workflow.question.cancel"), ChoiceRole::cancel, ResetAction::cancel});
    return question;
}

}  // namespace corvane
