#include "check/stream_signal.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "model/text.h"

namespace corvane {

namespace {

std::string_view trimmedBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool isMaxOutputTokensEnd(const nlohmann::json& payload) {
    const auto response = payload.find("response");
    if (response == payload.end() || !response->is_object()) return false;
    const auto details = response->find("incomplete_details");
    if (details == response->end() || !details->is_object()) return false;
    const auto reason = details->find("reason");
    return reason != details->end() && reason->is_string() &&
           reason->get_ref<const std::string&>() == "max_output_tokens";
}

StreamSignal classify(std::string_view type, const nlohmann::json* payload, Client client) {
    if (type == "error" || type == "response.failed") return StreamSignal::failed;
    switch (client) {
        case Client::claude:
            if (type == "message_stop") return StreamSignal::completed;
            break;
        case Client::codex:
            if (type == "response.completed") return StreamSignal::completed;
            if (type == "response.incomplete") {
                // The event line alone says nothing; its data line carries the reason.
                if (payload == nullptr) return StreamSignal::reading;
                return isMaxOutputTokensEnd(*payload) ? StreamSignal::completed
                                                      : StreamSignal::failed;
            }
            break;
        default:
            break;
    }
    return StreamSignal::reading;
}

}  // namespace

StreamSignal streamSignal(std::string_view line, Client client) {
    const std::string text = trimmed(line);
    const std::string_view view = text;
    constexpr std::string_view eventField = "event:";
    constexpr std::string_view dataField = "data:";

    if (view.starts_with(eventField)) {
        return classify(trimmedBlanks(view.substr(eventField.size())), nullptr, client);
    }
    if (!view.starts_with(dataField)) return StreamSignal::reading;

    const std::string_view payloadText = trimmedBlanks(view.substr(dataField.size()));
    if (payloadText == "[DONE]") {
        return client == Client::claude || client == Client::codex ? StreamSignal::reading
                                                                   : StreamSignal::completed;
    }
    const nlohmann::json payload = nlohmann::json::parse(payloadText, nullptr, false);
    if (payload.is_discarded() || !payload.is_object()) return StreamSignal::reading;
    const auto error = payload.find("error");
    if (error != payload.end() && !error->is_null()) return StreamSignal::failed;
    const auto type = payload.find("type");
    const std::string_view typeText = type != payload.end() && type->is_string()
                                          ? type->get_ref<const std::string&>()
                                          : std::string_view();
    return classify(typeText, &payload, client);
}

}  // namespace corvane
