// A fake client application. It is started without arguments, like an
// application opened by the workspace, and reads what to do from
// Contents/Resources/fake-app.json inside its own bundle:
//
//   "onTerminate": "quit" (default) or "ignore"   what SIGTERM does
//   "exitAtOnce": true                            exit right after starting
//   "quitAfterMs": N                              exit by itself after N ms
//   "log": "/path"                                append "start <pid>" and
//                                                 "term <pid>" lines
//   "sealAfterMs": N                              after N ms, seal Claude's key
//                                                 once, as Claude desktop does
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>

namespace {

constexpr const char* kProfileId = "1be8c9c6-da90-41e3-aef8-49c1ee88640d";

volatile sig_atomic_t termRequests = 0;

void onTerm(int) { termRequests = termRequests + 1; }

nlohmann::json readJson(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) return nullptr;
    return nlohmann::json::parse(std::istreambuf_iterator<char>(stream), {}, nullptr, false);
}

void logLine(const std::string& logPath, const std::string& word) {
    if (logPath.empty()) return;
    int fd = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0) return;
    std::string line = word + " " + std::to_string(::getpid()) + "\n";
    // One write per line keeps lines whole when several instances share a log.
    [[maybe_unused]] ssize_t written = ::write(fd, line.data(), line.size());
    ::close(fd);
}

void sealClaudeKey() {
    const char* home = std::getenv("HOME");
    if (home == nullptr) return;
    std::filesystem::path library =
        std::filesystem::path(home) / "Library/Application Support/Claude-3p/configLibrary";
    nlohmann::json meta = readJson(library / "_meta.json");
    if (!meta.is_object() || meta.value("appliedId", nlohmann::json()) != kProfileId) return;
    std::filesystem::path profilePath = library / (std::string(kProfileId) + ".json");
    nlohmann::json profile = readJson(profilePath);
    if (!profile.is_object()) return;
    profile["inferenceGatewayApiKey"] = "__sealed__:fake-app-" + std::to_string(::getpid());
    std::filesystem::path temporary = profilePath;
    temporary += ".fake-app";
    std::ofstream(temporary, std::ios::binary | std::ios::trunc) << profile.dump(2) << "\n";
    std::filesystem::rename(temporary, profilePath);
}

}  // namespace

int main() {
    std::error_code error;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    nlohmann::json behaviour =
        readJson(executable.parent_path().parent_path() / "Resources" / "fake-app.json");
    if (!behaviour.is_object()) behaviour = nlohmann::json::object();

    std::string logPath = behaviour.value("log", "");
    bool ignoreTerm = behaviour.value("onTerminate", "quit") == "ignore";
    std::optional<long> quitAfter;
    if (behaviour.contains("quitAfterMs")) quitAfter = behaviour["quitAfterMs"].get<long>();
    std::optional<long> sealAfter;
    if (behaviour.contains("sealAfterMs")) sealAfter = behaviour["sealAfterMs"].get<long>();

    struct sigaction action {};
    action.sa_handler = onTerm;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);

    logLine(logPath, "start");
    if (behaviour.value("exitAtOnce", false)) return 0;

    auto started = std::chrono::steady_clock::now();
    sig_atomic_t termsLogged = 0;
    while (true) {
        while (termsLogged < termRequests) {
            ++termsLogged;
            logLine(logPath, "term");
            if (!ignoreTerm) return 0;
        }
        long elapsed = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now() - started)
                                             .count());
        if (sealAfter && elapsed >= *sealAfter) {
            sealClaudeKey();
            sealAfter.reset();
        }
        if (quitAfter && elapsed >= *quitAfter) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
