#include "clients/hermes/hermes_configuration_text.h"

#include <string>
#include <vector>

#include "clients/hermes/hermes_model_block.h"
#include "clients/hermes/hermes_object.h"
#include "files/editable_json.h"
#include "files/home_relative_path.h"
#include "files/json5.h"
#include "files/json_text.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"

namespace corvane {
namespace {

const nlohmann::json* modelOf(const nlohmann::json& object) {
    const auto model = object.find("model");
    return model == object.end() ? nullptr : &*model;
}

bool sameModel(const nlohmann::json* a, const nlohmann::json* b) {
    return a == nullptr || b == nullptr ? a == b : sameJsonValue(*a, *b);
}

// Whether Hermes itself reads `intended` from the text.
bool readsAs(const std::string& text, const nlohmann::json& intended,
             const std::filesystem::path& file,
             const std::optional<std::filesystem::path>& application, std::stop_token stop) {
    try {
        return sameJsonValue(hermesObject(text, file, application, stop), intended);
    } catch (const SetupError&) {
        return false;
    } catch (const Json5ParseError&) {
        return false;
    }
}

std::optional<EditableJson> jsonDocument(const Bytes& original) {
    try {
        EditableJson document(original);
        if (document.value().is_object()) return document;
    } catch (const Json5ParseError&) {
    }
    return std::nullopt;
}

}  // namespace

Bytes hermesConfigurationText(const std::optional<Bytes>& original, const nlohmann::json& current,
                              const nlohmann::json& intended, const std::optional<Bytes>& earlier,
                              const nlohmann::json& earlierObject,
                              const std::filesystem::path& file,
                              const std::optional<std::filesystem::path>& application,
                              std::stop_token stop) {
    // A file that held no value before comes back as it was, without Hermes.
    if (earlier && hermesHoldsNoValue(*earlier) && intended.empty()) return *earlier;
    if (!original || trimmed(*original).empty()) return prettyJSON(intended);
    if (const auto document = jsonDocument(*original)) return document->textHolding(intended);

    std::vector<std::optional<std::string>> candidates;
    if (earlier && sameModel(modelOf(earlierObject), modelOf(intended))) {
        candidates.push_back(yamlWithEarlierModel(*original, *earlier));
    }
    candidates.push_back(yamlWithModel(*original, modelOf(current), modelOf(intended)));
    for (const auto& candidate : candidates) {
        if (candidate && readsAs(*candidate, intended, file, application, stop)) return *candidate;
    }
    // Hermes' own YAML is never turned into JSON behind the user's back.
    throw SetupError(
        translated("clients.hermes.malformed"),
        translated("clients.hermes.model-not-editable", {{"file", homeRelativePath(file)}}));
}

}  // namespace corvane
