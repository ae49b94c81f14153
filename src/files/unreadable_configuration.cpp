#include "files/unreadable_configuration.h"

#include "files/home_relative_path.h"
#include "model/messages.h"

namespace corvane {

namespace {

std::string unreadableDetail(const std::filesystem::path& file, const Json5ParseError& error) {
    return translated("files.config.unreadable-at", {{"file", homeRelativePath(file)},
                                                     {"line", std::to_string(error.line())},
                                                     {"column", std::to_string(error.column())},
                                                     {"reason", error.reason()}});
}

}  // namespace

SetupError unreadableConfiguration(const std::filesystem::path& file,
                                   const Json5ParseError& error) {
    return SetupError(translated("files.config.malformed"), unreadableDetail(file, error));
}

std::optional<EditableJson> editableConfiguration(const std::filesystem::path& file,
                                                  const std::optional<Bytes>& data) {
    try {
        return editableJson(data);
    } catch (const Json5ParseError& error) {
        throw UnreadableFileError(unreadableDetail(file, error));
    }
}

}  // namespace corvane
