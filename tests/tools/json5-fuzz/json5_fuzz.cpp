#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "files/json5.h"
#include "files/json_text.h"

namespace {

using nlohmann::json;

bool isFinite(const json& value) {
    if (value.is_number_float()) return std::isfinite(value.get<double>());
    if (!value.is_structured()) return true;
    for (const auto& element : value) {
        if (!isFinite(element)) return false;
    }
    return true;
}

}  // namespace

// Besides crashes and sanitizer reports, a finding is: another exception than
// a parse error, strict JSON (without NUL, where nlohmann stops reading) read
// differently from nlohmann, or a value that does not read back as written.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    json value;
    bool parsed = false;
    try {
        value = corvane::parseJson5(text);
        parsed = true;
    } catch (const corvane::Json5ParseError&) {
    }
    const json strict = json::parse(text, nullptr, false);
    if (!strict.is_discarded() && text.find('\0') == std::string::npos) {
        if (!parsed || value != strict) std::abort();
    }
    if (parsed && isFinite(value) && corvane::parseJson5(corvane::prettyJSON(value)) != value) {
        std::abort();
    }
    return 0;
}
