// The fake application stands in for Claude desktop in other tests; these
// cases pin down the sealing those tests rely on.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/posix/posix_workspace.h"
#include "support/fake_bundle.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

constexpr const char* kProfileId = "1be8c9c6-da90-41e3-aef8-49c1ee88640d";

TEST(FakeApp, SealsTheKeyOnlyForTheAppliedProfile) {
    for (const std::string applied : {kProfileId, "another-profile"}) {
        testing::TempHome home;
        auto library = home.path() / "Library/Application Support/Claude-3p/configLibrary";
        testing::writeFile(library / "_meta.json", nlohmann::json{{"appliedId", applied}}.dump());
        auto profilePath = library / (std::string(kProfileId) + ".json");
        nlohmann::json profile{{"inferenceGatewayApiKey", "sk-plain"},
                               {"inferenceGatewayBaseUrl", "https://gw.example.com"}};
        testing::writeFile(profilePath, profile.dump());

        testing::FakeBundleOptions options;
        options.behaviour.sealAfterMs = 0;
        options.behaviour.quitAfterMs = 30;
        auto app = testing::makeFakeBundle(home.path() / "Applications", "Claude", options);
        PosixWorkspace workspace(home.path() / "System");
        auto running = workspace.openApplication(app, {});
        ASSERT_TRUE(testing::waitUntil([&] { return running->isTerminated(); }));

        auto after = nlohmann::json::parse(testing::readFile(profilePath));
        EXPECT_EQ(after["inferenceGatewayBaseUrl"], "https://gw.example.com");
        std::string key = after["inferenceGatewayApiKey"];
        EXPECT_EQ(key.starts_with("__sealed__:"), applied == kProfileId) << applied;
    }
}

}  // namespace
}  // namespace corvane
