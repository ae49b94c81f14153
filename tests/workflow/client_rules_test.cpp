#include <gtest/gtest.h>

#include "support/catalogue_text.h"
#include "workflow/client_texts.h"
#include "workflow/reset_question.h"

namespace corvane {
namespace {

using testing::zh;

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
    const std::string restart =
        zh("workflow.reset.question.reset-restart") + "/destructive/restart";
    const std::string cancel = zh("workflow.question.cancel") + "/cancel/nothing";
    const std::vector<std::string> three{
        restart, zh("workflow.reset.question.reset-later") + "/destructive/reset", cancel};
    const std::vector<std::string> restartOnly{restart, cancel};
    const std::vector<std::string> notInstalled{
        zh("workflow.reset.question.reset") + "/destructive/reset", cancel};
    const std::string applyAndRestart = zh("workflow.button.apply-restart");
    const std::string openApp = zh("workflow.button.open-app");
    struct Row {
        Client client;
        bool restarts;
        bool oneModel;
        bool guidance;
        bool authScheme;
        std::string mainButton;
        std::vector<std::string> resetChoices;
    };
    const Row rows[] = {
        {Client::claude, true, false, false, true, applyAndRestart, restartOnly},
        {Client::codex, false, false, false, true, applyAndRestart, three},
        {Client::openCode, false, false, false, true, applyAndRestart, three},
        {Client::openClaw, false, false, false, true, applyAndRestart, three},
        {Client::workBuddy, true, false, false, false, applyAndRestart, restartOnly},
        {Client::hermes, false, true, false, false, applyAndRestart, three},
        {Client::cursor, false, false, true, true, openApp, three},
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
                  row.guidance ? openApp : zh("workflow.button.apply"));
        const ResetQuestion installed = resetQuestion(row.client, true);
        EXPECT_EQ(installed.title, zh("workflow.reset.question.title", {{"client", name}}));
        EXPECT_EQ(installed.message, zh("workflow.reset.question.text"));
        EXPECT_EQ(described(installed), row.resetChoices);
        EXPECT_EQ(described(resetQuestion(row.client, false)), notInstalled);
    }
}

}  // namespace
}  // namespace corvane
