#include "workflow/setup_link.h"

#include <gtest/gtest.h>

#include "model/setup_error.h"

namespace corvane {
namespace {

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
         "导入链接中的客户端无法识别。"},
        {"corvane-setup://configure?client=codex&address=https://gw&model=m&apiKey=sk-live-123",
         Client::claude,
         "",
         "",
         {},
         "",
         "导入链接不能携带 API Key，已忽略这个链接。请在表单中自行填写 Key。"},
        {"corvane-setup://configure?x-api-key=sk&client=nothing",
         Client::claude,
         "",
         "",
         {},
         "",
         "导入链接不能携带 API Key，已忽略这个链接。请在表单中自行填写 Key。"},
        {"corvane-setup://configure?client=codex&address=http://gw.example.com",
         Client::claude,
         "",
         "",
         {},
         "",
         "导入链接中的 address 不是 HTTPS 地址。"},
        {"corvane-setup://configure?client=codex",
         Client::claude,
         "",
         "",
         {},
         "",
         "导入链接缺少 address 参数。"},
        {"corvane-setup://configure?address=https://gw",
         Client::claude,
         "",
         "",
         {},
         "",
         "导入链接缺少 client 参数。"},
        {"corvane-setup://configure?client=codex&client=claude&address=https://gw",
         Client::claude,
         "",
         "",
         {},
         "",
         "导入链接中的 client 出现了不止一次。"},
        {"corvane-setup://configure?client=codex&address=https://gw&name=Lonely",
         Client::claude,
         "",
         "",
         {},
         "",
         "导入链接中的 name 须紧跟在它所属的 model 之后。"},
        {"corvane-setup://configure?client=codex&address=https://gw&auth=basic",
         Client::claude,
         "",
         "",
         {},
         "",
         "导入链接中的 auth 须为 bearer 或 x-api-key。"},
        {"corvane-setup://configure?client=codex&address=https://gw&model=%ZZ",
         Client::claude,
         "",
         "",
         {},
         "",
         "导入链接的编码有误。"},
        {"corvane-setup://configure?client=codex&address=https://gw&model=a%0Ab",
         Client::claude,
         "",
         "",
         {},
         "",
         "导入链接的编码有误。"},
        {"corvane-setup://configure?client=codex&address=https://gw&path=/etc/passwd",
         Client::claude,
         "",
         "",
         {},
         "",
         "导入链接中有无法识别的参数。"},
        {"corvane-setup://configure?client=cursor&address=https://gw",
         Client::claude,
         "",
         "",
         {},
         "",
         "Cursor / Grok Build 须在应用内完成设置。"},
        {"https://gw.example.com/configure?client=codex",
         Client::claude,
         "",
         "",
         {},
         "",
         "这不是本工具的导入链接。"},
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
