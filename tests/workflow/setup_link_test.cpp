#include "workflow/setup_link.h"

#include <gtest/gtest.h>

#include "model/setup_error.h"
#include "support/catalogue_text.h"

namespace corvane {
namespace {

using testing::zh;

TEST(SetupLink, FillsTheFormOrSaysWhatIsWrong) {
    struct Case {
        std::string link;
        Client client;
        std::string address;
        std::string auth;
        std::vector<std::pair<std::string, std::string>> rows;  // ID, display name
        std::string host;
        std::string refusal;
    };
    const Case cases[] = {
        {"corvane-setup://configure?client=openClaw&address=https%3A%2F%2Fgw.example.com%2Fv1"
         "&auth=x-api-key&model=gpt-5&name=GPT+Five&model=o3",
         Client::openClaw,
         "https://gw.example.com/v1",
         "x-api-key",
         {{"gpt-5", "GPT Five"}, {"o3", ""}},
         "gw.example.com",
         ""},
        {"CORVANE-SETUP://configure/?client=Codex&address=https://GW.example.com:8443",
         Client::codex,
         "https://GW.example.com:8443",
         "bearer",
         {{"", ""}},
         "GW.example.com",
         ""},
        {"corvane-setup://configure?client=%E4%B8%8D",
         Client::claude,
         "",
         "",
         {},
         "",
         zh("workflow.link.unknown-client")},
        {"corvane-setup://configure?client=codex&address=https://gw&model=m&apiKey=sk-live-123",
         Client::claude,
         "",
         "",
         {},
         "",
         zh("workflow.link.holds-key")},
        {"corvane-setup://configure?x-api-key=sk&client=nothing",
         Client::claude,
         "",
         "",
         {},
         "",
         zh("workflow.link.holds-key")},
        {"corvane-setup://configure?client=codex&address=http://gw.example.com",
         Client::claude,
         "",
         "",
         {},
         "",
         zh("workflow.link.address-not-https")},
        {"corvane-setup://configure?client=codex",
         Client::claude,
         "",
         "",
         {},
         "",
         zh("workflow.link.address-missing")},
        {"corvane-setup://configure?address=https://gw",
         Client::claude,
         "",
         "",
         {},
         "",
         zh("workflow.link.client-missing")},
        {"corvane-setup://configure?client=codex&client=claude&address=https://gw",
         Client::claude,
         "",
         "",
         {},
         "",
         zh("workflow.link.repeated", {{"name", "client"}})},
        {"corvane-setup://configure?client=codex&address=https://gw&name=Lonely",
         Client::claude,
         "",
         "",
         {},
         "",
         zh("workflow.link.name-after-model")},
        {"corvane-setup://configure?client=codex&address=https://gw&auth=basic",
         Client::claude,
         "",
         "",
         {},
         "",
         zh("workflow.link.auth-expected")},
        {"corvane-setup://configure?client=codex&address=https://gw&model=%ZZ",
         Client::claude,
         "",
         "",
         {},
         "",
         zh("workflow.link.bad-encoding")},
        {"corvane-setup://configure?client=codex&address=https://gw&model=a%0Ab",
         Client::claude,
         "",
         "",
         {},
         "",
         zh("workflow.link.bad-encoding")},
        {"corvane-setup://configure?client=codex&address=https://gw&path=/etc/passwd",
         Client::claude,
         "",
         "",
         {},
         "",
         zh("workflow.link.unknown-parameter")},
        {"corvane-setup://configure?client=cursor&address=https://gw",
         Client::claude,
         "",
         "",
         {},
         "",
         zh("workflow.guidance-only.in-app", {{"client", "Cursor / Grok Build"}})},
        {"https://gw.example.com/configure?client=codex",
         Client::claude,
         "",
         "",
         {},
         "",
         zh("workflow.link.not-ours")},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.link);
        try {
            const SetupLink link = parseSetupLink(test.link);
            ASSERT_EQ(test.refusal, "");
            EXPECT_EQ(link.client, test.client);
            EXPECT_EQ(link.address, test.address);
            EXPECT_EQ(link.auth, test.auth);
            EXPECT_EQ(link.host, test.host);
            std::vector<std::pair<std::string, std::string>> rows;
            for (const ModelRow& row : link.rows) rows.emplace_back(row.modelID, row.displayName);
            EXPECT_EQ(rows, test.rows);
        } catch (const SetupError& error) {
            EXPECT_EQ(error.text(), test.refusal);
            // A refused link shows nothing of what it carried.
            EXPECT_EQ(error.text().find("sk"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace corvane
