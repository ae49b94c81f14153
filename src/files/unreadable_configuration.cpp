#include "files/unreadable_configuration.h"

#include "files/home_relative_path.h"

namespace corvane {

SetupError unreadableConfiguration(const std::filesystem::path& file,
                                   const Json5ParseError& error) {
    return SetupError("现有配置文件格式有误，无法安全合并。",
                      homeRelativePath(file) + " " + error.what());
}

std::optional<EditableJson> editableConfiguration(const std::filesystem::path& file,
                                                  const std::optional<Bytes>& data) {
    return readingConfiguration(file, [&] { return editableJson(data); });
}

}  // namespace corvane
