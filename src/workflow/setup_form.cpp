#include "workflow/setup_form.h"

namespace corvane {

std::string configurationPathKey(Client client) {
    return "corvane.configuration-path." + std::string(rawValue(client));
}

}  // namespace corvane
