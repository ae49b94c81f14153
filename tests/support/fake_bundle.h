#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvane::testing {

// Fake application bundles for tests with real processes. The fake program is
// built from tests/tools/fake-app (its path is CORVANE_FAKE_APP_PATH) and
// copied into each bundle; the POSIX workspace opens it like any application.
// Typical use:
//
//   FakeBundleOptions options;
//   options.behaviour.ignoreTerminate = true;
//   options.behaviour.log = home.path() / "events.log";
//   auto app = makeFakeBundle(home.path() / "Applications", "Claude", options);
//   ...
//   killBundleProcesses(app);  // last, so that nothing outlives the test
//
// The log holds one "start <pid>" or "term <pid>" line per event, in order, so
// a test can check that an application was stopped before a file changed.

// What the fake application does once started; stored as
// Contents/Resources/fake-app.json inside its bundle.
struct FakeAppBehaviour {
    bool ignoreTerminate = false;              // SIGTERM is logged but does not end it
    bool exitAtOnce = false;                   // ends right after its "start" line
    std::optional<int> quitAfterMs;            // ends by itself after this long
    std::optional<int> sealAfterMs;            // seals Claude desktop's key once, after this long
    std::optional<std::filesystem::path> log;  // appends "start <pid>" / "term <pid>" lines
};

struct ExtraFile {
    std::string content;
    bool executable = false;
};

struct FakeBundleOptions {
    std::string bundleIdentifier = "com.example.fake";
    // CFBundleShortVersionString as text; `numericShortVersion` writes it as
    // an <integer> instead. Neither: the entry is missing.
    std::optional<std::string> shortVersion = "1.0";
    std::optional<long long> numericShortVersion;
    std::optional<std::string> minimumSystemVersion;
    std::string executableName = "fake-app";
    FakeAppBehaviour behaviour;
    // Paths relative to the bundle folder, e.g. "Contents/Resources/opencode-cli".
    std::map<std::string, ExtraFile> extraFiles;
};

// Creates folder/name.app with an XML Info.plist, the fake application copied
// to Contents/MacOS/<executableName>, its behaviour file and the extra files.
// Returns the bundle's path.
std::filesystem::path makeFakeBundle(const std::filesystem::path& folder, const std::string& name,
                                     const FakeBundleOptions& options = {});

// An instance of a bundle's executable started directly by the test (the
// workspace opens only one instance). Destruction kills and reaps it.
class FakeInstance {
public:
    FakeInstance(const std::filesystem::path& bundle,
                 const std::string& executableName = "fake-app");
    ~FakeInstance();
    FakeInstance(const FakeInstance&) = delete;
    FakeInstance& operator=(const FakeInstance&) = delete;

    pid_t pid() const { return pid_; }
    // Whether it has ended; reaps it when it has.
    bool hasEnded();

private:
    pid_t pid_;
    bool ended_ = false;
};

// Kills every process running from the bundle and reaps those that are this
// process's children. Tests call it last so that nothing outlives them.
void killBundleProcesses(const std::filesystem::path& bundle);

// Polls `condition` every 5 ms until it holds or `limit` passes; its result.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

// Ended children of this process that nobody has reaped.
std::vector<pid_t> zombieChildren();

// The lines of a fake application's log (empty when there is none).
std::vector<std::string> logLines(const std::filesystem::path& log);

}  // namespace corvane::testing
