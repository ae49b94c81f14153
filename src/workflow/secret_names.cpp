#include "workflow/secret_names.h"

#include <string>

#include "model/text.h"

namespace corvane {

bool isSecretName(std::string_view name) {
    std::string folded;
    for (char character : asciiLowercased(name)) {
        if (character != '_' && character != '-') folded += character;
    }
    return folded == "key" || folded == "secret" || folded == "password" ||
           folded.ends_with("apikey") || folded.ends_with("token");
}

}  // namespace corvane
