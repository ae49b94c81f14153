#include "clients/codex/codex_files.h"

#include <gtest/gtest.h>

#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::TempHome;

TEST(CodexFiles, CodexHomeIsTakenAsItStands) {
    TempHome home;
    const struct {
        std::optional<std::string> codexHome;
        std::string config;
        std::string catalog;
    } cases[] = {
        {std::nullopt, home.path().string() + "/.codex/config.toml",
         home.path().string() + "/.codex/corvane-model-catalog.json"},
        {"/srv/codex", "/srv/codex/config.toml", "/srv/codex/corvane-model-catalog.json"},
        {"/srv//codex", "/srv//codex/config.toml", "/srv//codex/corvane-model-catalog.json"},
        // Empty counts as unset, as Codex takes it.
        {"", home.path().string() + "/.codex/config.toml",
         home.path().string() + "/.codex/corvane-model-catalog.json"},
        {"~/codex", "~/codex/config.toml", "~/codex/corvane-model-catalog.json"},
        {" /srv/codex ", " /srv/codex /config.toml", " /srv/codex /corvane-model-catalog.json"},
    };
    for (const auto& c : cases) {
        home.setEnvironment("CODEX_HOME", c.codexHome);
        EXPECT_EQ(codexConfigURL().string(), c.config) << c.codexHome.value_or("(unset)");
        EXPECT_EQ(codexModelCatalogURL().string(), c.catalog) << c.codexHome.value_or("(unset)");
    }
}

TEST(CodexFiles, FollowsTheEnvironmentOnEveryCall) {
    TempHome home;
    home.setEnvironment("CODEX_HOME", "/first");
    EXPECT_EQ(codexConfigURL().string(), "/first/config.toml");
    home.setEnvironment("CODEX_HOME", "/second");
    EXPECT_EQ(codexModelCatalogURL().string(), "/second/corvane-model-catalog.json");
    EXPECT_FALSE(std::filesystem::exists(home.path() / ".codex"));
}

}  // namespace
}  // namespace corvane
