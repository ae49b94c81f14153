#include "platform/bundle_info.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstdlib>

#include "apps/application_control.h"
#include "support/fake_bundle.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

TEST(ApplicationVersion, IsTheShortVersionTextOnly) {
    testing::TempHome home;
    testing::FakeBundleOptions text;
    text.shortVersion = " 2.0.1 (beta) ";
    EXPECT_EQ(applicationVersion(testing::makeFakeBundle(home.path(), "Text", text)),
              " 2.0.1 (beta) ");

    testing::FakeBundleOptions numeric;
    numeric.shortVersion.reset();
    numeric.numericShortVersion = 2;
    EXPECT_EQ(applicationVersion(testing::makeFakeBundle(home.path(), "Numeric", numeric)),
              std::nullopt);

    testing::FakeBundleOptions missing;
    missing.shortVersion.reset();
    EXPECT_EQ(applicationVersion(testing::makeFakeBundle(home.path(), "Missing", missing)),
              std::nullopt);

    std::filesystem::create_directories(home.path() / "Plain.app" / "Contents");
    EXPECT_EQ(applicationVersion(home.path() / "Plain.app"), std::nullopt);
    testing::writeFile(home.path() / "Garbage.app/Contents/Info.plist", "<plist><dict><key>");
    EXPECT_EQ(applicationVersion(home.path() / "Garbage.app"), std::nullopt);
    testing::writeFile(home.path() / "File.app", "not a folder");
    EXPECT_EQ(applicationVersion(home.path() / "File.app"), std::nullopt);
    EXPECT_EQ(applicationVersion(home.path() / "Nowhere.app"), std::nullopt);
}

TEST(BundleInfoString, ReadsBinaryPropertyLists) {
    testing::TempHome home;
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "CFBundleShortVersionString", plist_new_string("3.1"));
    plist_dict_set_item(root, "LSMinimumSystemVersion", plist_new_string("13.0"));
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    plist_free(root);
    ASSERT_NE(bytes, nullptr);
    std::string binary(bytes, length);
    std::free(bytes);
    ASSERT_TRUE(binary.starts_with("bplist00"));
    testing::writeFile(home.path() / "Binary.app/Contents/Info.plist", binary);

    EXPECT_EQ(applicationVersion(home.path() / "Binary.app"), "3.1");
    EXPECT_EQ(bundleInfoString(home.path() / "Binary.app", "LSMinimumSystemVersion"), "13.0");
    EXPECT_EQ(bundleInfoString(home.path() / "Binary.app", "CFBundleIdentifier"), std::nullopt);
}

TEST(SystemVersion, HasNothingToCompareOnLinux) { EXPECT_TRUE(isSystemVersionAtLeast(99, 0, 0)); }

}  // namespace
}  // namespace corvane
