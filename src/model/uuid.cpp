#include "model/uuid.h"

#include <uuid/uuid.h>

namespace corvane {

std::string randomUUID() {
    uuid_t value;
    uuid_generate_random(value);
    char text[37];
    uuid_unparse_upper(value, text);
    return text;
}

}  // namespace corvane
