#include "clients/hermes/hermes_object.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>
#include <thread>

#include "model/setup_error.h"
#include "platform/platform_error.h"
#include "support/catalogue_text.h"
#include "support/fake_hermes.h"
#include "support/setup_error_text.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::FakeHermes;
using testing::setupErrorText;
using testing::TempHome;

const std::filesystem::path kData = std::filesystem::path(CORVANE_TEST_DATA_DIR) / "hermes";
const std::filesystem::path kFile = "/nowhere/config.yaml";
const std::string kMalformed = testing::zh("clients.hermes.malformed");
const std::string kNotObject = testing::zh("files.config.not-an-object");
const std::string kRunHermesFirst = testing::zh("clients.hermes.run-first");

TEST(HermesObject, ConvertsYamlWithHermesOwnConverter) {
    TempHome home;
    FakeHermes hermes(home.path());
    for (const char* name : {"config.yaml", "anchors.yaml", "model-string.yaml"}) {
        SCOPED_TRACE(name);
        const auto file = kData / name;
        EXPECT_EQ(hermesObject(testing::readFile(file), kFile, hermes.bundle(), {}),
                  testing::readYamlWithPyYAML(file));
    }
    EXPECT_EQ(hermes.runs().size(), 3u);
}

TEST(HermesObject, ReadsJsonWithoutTheConverter) {
    TempHome home;
    FakeHermes hermes(home.path());
    struct Case {
        const char* name;
        std::optional<Bytes> data;
        nlohmann::json expected;
    };
    const Case cases[] = {
        {"no file", std::nullopt, nlohmann::json::object()},
        {"JSON written before",
         Bytes(R"({"model": {"provider": "custom"}, "x": [1]})"),
         {{"model", {{"provider", "custom"}}}, {"x", {1}}}},
        {"JSON5",
         Bytes("{terminal: {backend: 'local',}, // note\n}"),
         {{"terminal", {{"backend", "local"}}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(hermesObject(c.data, kFile, hermes.bundle(), {}), c.expected);
    }
    EXPECT_TRUE(hermes.runs().empty());
}

TEST(HermesObject, EmptyYamlIsAnEmptyObject) {
    TempHome home;
    FakeHermes hermes(home.path());
    EXPECT_EQ(hermesObject(Bytes(), kFile, hermes.bundle(), {}), nlohmann::json::object());
    EXPECT_EQ(hermesObject(Bytes("# only a comment\n"), kFile, hermes.bundle(), {}),
              nlohmann::json::object());
    // A file with no value in it needs no Hermes to be read.
    EXPECT_TRUE(hermes.runs().empty());
}

TEST(HermesObject, RefusesWhatCannotBeMergedSafely) {
    TempHome home;
    FakeHermes hermes(home.path());
    struct Case {
        const char* name;
        Bytes data;
        std::string message;
    };
    const Case cases[] = {
        {"invalid YAML", testing::readFile(kData / "invalid.yaml"), kMalformed},
        {"timestamp without JSON form", testing::readFile(kData / "timestamp.yaml"), kMalformed},
        {"top-level list", testing::readFile(kData / "list.yaml"), kNotObject},
        // A JSON array parses but is no object: the converter gets it and
        // still finds a list.
        {"JSON array", Bytes("[1, 2]"), kNotObject},
        {"scalar document", Bytes("just text\n"), kNotObject},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(setupErrorText([&] { hermesObject(c.data, kFile, hermes.bundle(), {}); }),
                  c.message);
    }
}

TEST(HermesObject, YamlNeedsAnInitialisedHermes) {
    TempHome home;
    FakeHermes missing(home.path() / "missing", FakeHermes::Converter::missing);
    FakeHermes notExecutable(home.path() / "plain", FakeHermes::Converter::notExecutable);
    const Bytes yaml = testing::readFile(kData / "config.yaml");
    for (const auto& application :
         {std::optional(missing.bundle()), std::optional(notExecutable.bundle()),
          std::optional<std::filesystem::path>()}) {
        EXPECT_EQ(setupErrorText([&] { hermesObject(yaml, kFile, application, {}); }),
                  kRunHermesFirst);
    }
    EXPECT_TRUE(notExecutable.runs().empty());
    // JSON needs no converter at all.
    EXPECT_EQ(hermesObject(Bytes("{}"), kFile, std::nullopt, {}), nlohmann::json::object());
}

TEST(HermesObject, HangingConverterIsStoppedAtTheLimit) {
    TempHome home;
    FakeHermes hermes(home.path(), FakeHermes::Converter::hang);
    EXPECT_EQ(setupErrorText([&] {
                  hermesObject(Bytes("model: x\n"), kFile, hermes.bundle(), {},
                               std::chrono::seconds(1));
              }),
              kMalformed);
    ASSERT_EQ(hermes.runs().size(), 1u);
    const auto pid = hermes.lastPid();
    ASSERT_TRUE(pid);
    EXPECT_FALSE(testing::processExists(*pid));
}

TEST(HermesObject, StopRequestEndsTheWait) {
    TempHome home;
    FakeHermes hermes(home.path(), FakeHermes::Converter::hang);
    std::stop_source stop;
    std::jthread requester([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        stop.request_stop();
    });
    EXPECT_THROW(hermesObject(Bytes("model: x\n"), kFile, hermes.bundle(), stop.get_token()),
                 OperationCancelled);
    const auto pid = hermes.lastPid();
    ASSERT_TRUE(pid);
    EXPECT_FALSE(testing::processExists(*pid));
}

}  // namespace
}  // namespace corvane
