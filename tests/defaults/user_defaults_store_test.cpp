// The store both front ends share, on each system's own store: the settings
// file under a temporary home here, the application's preferences domain
// (CoreFoundation) on a Mac.
#include <gtest/gtest.h>

#include <cstdlib>

#include "defaults/user_defaults.h"
#include "model/uuid.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

TEST(UserDefaultsStore, KeepsGivesBackAndForgetsAValue) {
#ifdef __APPLE__
    // The preferences daemon writes into the account's own Library whatever
    // HOME says, so only a CI runner's throwaway account is written to.
    if (std::getenv("CI") == nullptr) GTEST_SKIP() << "writes the account's own preferences";
#endif
    const testing::TempHome home;
    const std::string key = "corvane.configuration-path.test-" + randomUUID();
    EXPECT_EQ(UserDefaults().value(key), std::nullopt);
    for (const std::string value :
         {"/Users/名字/.config/opencode/opencode.json", "a;b=c \"d\"\n"}) {
        UserDefaults().setValue(key, value);
        EXPECT_EQ(UserDefaults().value(key), value);
    }
    UserDefaults().remove(key);
    EXPECT_EQ(UserDefaults().value(key), std::nullopt);
}

}  // namespace
}  // namespace corvane
