#include "files/unreadable_configuration.h"

#include "files/home_relative_path.h"

namespace corvane {

namespace {

std::string unreadableDetail(const std::filesystem::path& file, const Json5ParseError& error) {
    return homeRelativePath(file) + " " + error.what();
}

}  // namespace

SetupError unreadableConfiguration(const std::filesystem::path& file,
                                   const Json5ParseError& error) {
    return SetupError("现有配置文件格式有误，无法安全合并。", unreadableDetail(file, error));
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
