#include "model/client.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <memory>

#include "support/catalogue_text.h"

namespace corvane {
namespace {

TEST(Client, RawValuesRoundTripAndNothingElseMatches) {
    for (Client client : allClients()) {
        EXPECT_EQ(clientFromRawValue(rawValue(client)), client) << rawValue(client);
    }
    for (const char* text : {"Claude ", "claude", "OpenClaw(小龙虾)", "OpenClaw", "", "Cursor"}) {
        EXPECT_FALSE(clientFromRawValue(text).has_value()) << text;
    }
    EXPECT_EQ(rawValue(Client::openClaw).size(), 23u);
}

TEST(Client, PropertiesFollowTheCatalogue) {
    struct Row {
        Client client;
        bool multiple;
        bool displayName;
        std::string protocol;
    };
    const Row rows[] = {
        {Client::claude, true, true, "Anthropic Messages"},
        {Client::codex, true, true, "OpenAI Responses"},
        {Client::openCode, true, true, "OpenAI Chat Completions"},
        {Client::openClaw, true, true, "OpenAI Chat Completions"},
        {Client::workBuddy, true, false, "OpenAI Chat Completions"},
        {Client::hermes, false, false, "OpenAI Chat Completions"},
        {Client::cursor, false, false, testing::zh("model.client.protocol.in-app")},
    };
    ASSERT_EQ(allClients().size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(allClients()[i], rows[i].client);
        EXPECT_EQ(supportsMultiple(rows[i].client), rows[i].multiple) << i;
        EXPECT_EQ(supportsDisplayName(rows[i].client), rows[i].displayName) << i;
        EXPECT_EQ(protocolName(rows[i].client), rows[i].protocol) << i;
    }
}

TEST(Client, DownloadsParseAndCursorOffersTwo) {
    for (Client client : allClients()) {
        const auto downloads = officialDownloads(client);
        ASSERT_FALSE(downloads.empty()) << rawValue(client);
        for (const auto& entry : downloads) {
            EXPECT_EQ(entry.url.rfind("https://", 0), 0u);
            const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(),
                                                                          curl_url_cleanup);
            EXPECT_EQ(curl_url_set(url.get(), CURLUPART_URL, entry.url.c_str(), 0), CURLUE_OK)
                << entry.url;
        }
    }
    const auto cursor = officialDownloads(Client::cursor);
    ASSERT_EQ(cursor.size(), 2u);
    EXPECT_EQ(cursor[0].name, "Cursor");
    EXPECT_EQ(cursor[1].name, "Grok Build");
}

}  // namespace
}  // namespace corvane
