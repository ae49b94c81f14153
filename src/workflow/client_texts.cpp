#include "workflow/client_texts.h"

#include "model/messages.h"

namespace corvane {

std::string mainButtonLabel(Client client, Installation installation) {
    if (guidanceOnly(client)) return translated("workflow.button.open-app");
    return installation == Installation::commandLineOnly
               ? translated("workflow.button.apply")
               : translated("workflow.button.apply-restart");
}

std::string modelHint(Client client) {
    return client == Client::codex ? translated("workflow.models.hint-codex")
                                   : translated("workflow.models.hint");
}

}  // namespace corvane
