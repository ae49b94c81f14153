#include "workflow/reset_question.h"

namespace corvane {

ResetQuestion resetQuestion(Client client, bool installed) {
    ResetQuestion question{
        "恢复 " + std::string(rawValue(client)) + " 的配置？",
        "将移除本工具写入的配置，并恢复此前的默认设置。重启前请保存该应用中的工作。",
        {}};
    if (!installed) {
        question.choices.push_back(
            {"恢复初始设置", ChoiceRole::destructive, ResetAction::resetWithoutRestart});
    } else {
        question.choices.push_back(
            {"恢复并重启", ChoiceRole::destructive, ResetAction::resetAndRestart});
        if (!mustRestartForChange(client)) {
            question.choices.push_back(
                {"仅恢复，稍后重启", ChoiceRole::destructive, ResetAction::resetWithoutRestart});
        }
    }
    question.choices.push_back({"取消", ChoiceRole::cancel, ResetAction::cancel});
    return question;
}

}  // namespace corvane
