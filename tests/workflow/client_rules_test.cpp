#include <gtest/gtest.h>

#include "workflow/client_texts.h"
#include "workflow/reset_question.h"

namespace corvane {
namespace {

// One answer as the front ends see it: its label, its role and what it does.
std::string described(const ResetChoice& choice) {
    const char* role = choice.role == ChoiceRole::cancel ? "cancel" : "destructive";
    const char* action = choice.action == ResetAction::resetAndRestart       ? "restart"
                         : choice.action == ResetAction::resetWithoutRestart ? "reset"
                                                                             : "nothing";
    return choice.label + "/" + role + "/" + action;
}

std::vector<std::string> described(const ResetQuestion& question) {
    std::vector<std::string> choices;
    for (const ResetChoice& choice : question.choices) choices.push_back(described(choice));
    return choices;
}

TEST(ClientRules, DecideWhatBothFrontEndsOffer) {
    const std::vector<std::string> three{"恢复并重启/destructive/restart",
                                         "仅恢复，稍后重启/destructive/reset",
                                         "取消/cancel/nothing"};
    const std::vector<std::string> restartOnly{"恢复并重启/destructive/restart",
                                               "取消/cancel/nothing"};
    const std::vector<std::string> notInstalled{"恢复初始设置/destructive/reset",
                                                "取消/cancel/nothing"};
    struct Row {
        Client client;
        bool restarts;
        bool oneModel;
        bool guidance;
        bool authScheme;
        std::string_view mainButton;
        std::vector<std::string> resetChoices;
    };
    const Row rows[] = {
        {Client::claude, true, false, false, true, "应用并重启", restartOnly},
        {Client::codex, false, false, false, true, "应用并重启", three},
        {Client::openCode, false, false, false, true, "应用并重启", three},
        {Client::openClaw, false, false, false, true, "应用并重启", three},
        {Client::workBuddy, true, false, false, false, "应用并重启", restartOnly},
        {Client::hermes, false, true, false, false, "应用并重启", three},
        {Client::cursor, false, false, true, true, "打开应用", three},
    };
    ASSERT_EQ(std::size(rows), allClients().size());
    for (const Row& row : rows) {
        const std::string name(rawValue(row.client));
        SCOPED_TRACE(name);
        EXPECT_EQ(mustRestartForChange(row.client), row.restarts);
        EXPECT_EQ(takesOneModel(row.client), row.oneModel);
        EXPECT_EQ(guidanceOnly(row.client), row.guidance);
        EXPECT_EQ(offersAuthScheme(row.client), row.authScheme);
        EXPECT_EQ(mainButtonLabel(row.client, Installation::application), row.mainButton);
        EXPECT_EQ(mainButtonLabel(row.client, Installation::missing), row.mainButton);
        EXPECT_EQ(mainButtonLabel(row.client, Installation::commandLineOnly),
                  row.guidance ? "打开应用" : "应用");
        const ResetQuestion installed = resetQuestion(row.client, true);
        EXPECT_EQ(installed.title, "恢复 " + name + " 的配置？");
        EXPECT_EQ(installed.message,
                  "将移除本工具写入的配置，并恢复此前的默认设置。重启前请保存该应用中的工作。");
        EXPECT_EQ(described(installed), row.resetChoices);
        EXPECT_EQ(described(resetQuestion(row.client, false)), notInstalled);
    }
}

}  // namespace
}  // namespace corvane
