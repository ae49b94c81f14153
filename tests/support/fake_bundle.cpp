#include "support/fake_bundle.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/posix/process_handle.h"
#include "support/temp_home.h"

extern char** environ;

namespace corvane::testing {
namespace {

std::string xmlEscaped(const std::string& text) {
    std::string result;
    for (char c : text) {
        switch (c) {
            case '&':
                result += "&amp;";
                break;
            case '<':
                result += "&lt;";
                break;
            case '>':
                result += "&gt;";
                break;
            default:
                result += c;
        }
    }
    return result;
}

std::string infoPlist(const FakeBundleOptions& options) {
    std::ostringstream entries;
    auto stringEntry = [&](const std::string& key, const std::string& value) {
        entries << "  <key>" << key << "</key>\n  <string>" << xmlEscaped(value) << "</string>\n";
    };
    stringEntry("CFBundleIdentifier", options.bundleIdentifier);
    stringEntry("CFBundleExecutable", options.executableName);
    if (options.shortVersion) stringEntry("CFBundleShortVersionString", *options.shortVersion);
    if (options.numericShortVersion) {
        entries << "  <key>CFBundleShortVersionString</key>\n  <integer>"
                << *options.numericShortVersion << "</integer>\n";
    }
    if (options.minimumSystemVersion) {
        stringEntry("LSMinimumSystemVersion", *options.minimumSystemVersion);
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n<dict>\n" +
           entries.str() + "</dict>\n</plist>\n";
}

std::string behaviourJson(const FakeAppBehaviour& behaviour) {
    nlohmann::json json = nlohmann::json::object();
    json["onTerminate"] = behaviour.ignoreTerminate ? "ignore" : "quit";
    json["exitAtOnce"] = behaviour.exitAtOnce;
    if (behaviour.quitAfterMs) json["quitAfterMs"] = *behaviour.quitAfterMs;
    if (behaviour.sealAfterMs) json["sealAfterMs"] = *behaviour.sealAfterMs;
    if (behaviour.log) json["log"] = behaviour.log->string();
    return json.dump(2);
}

void reapIfChild(pid_t pid) {
    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

std::filesystem::path makeFakeBundle(const std::filesystem::path& folder, const std::string& name,
                                     const FakeBundleOptions& options) {
    std::filesystem::path bundle = folder / (name + ".app");
    std::filesystem::path executable = bundle / "Contents" / "MacOS" / options.executableName;
    std::filesystem::create_directories(executable.parent_path());
    std::filesystem::copy_file(CORVANE_FAKE_APP_PATH, executable,
                               std::filesystem::copy_options::overwrite_existing);
    writeFile(bundle / "Contents" / "Info.plist", infoPlist(options));
    writeFile(bundle / "Contents" / "Resources" / "fake-app.json",
              behaviourJson(options.behaviour));
    for (const auto& [relative, file] : options.extraFiles) {
        writeFile(bundle / relative, file.content);
        if (file.executable) {
            std::filesystem::permissions(bundle / relative, std::filesystem::perms::owner_exec,
                                         std::filesystem::perm_options::add);
        }
    }
    return bundle;
}

FakeInstance::FakeInstance(const std::filesystem::path& bundle, const std::string& executableName) {
    std::string program = (bundle / "Contents" / "MacOS" / executableName).string();
    char* argv[] = {program.data(), nullptr};
    int result = posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ);
    if (result != 0) throw std::runtime_error("cannot start " + program);
}

FakeInstance::~FakeInstance() {
    if (ended_) return;
    ::kill(pid_, SIGKILL);
    reapIfChild(pid_);
}

bool FakeInstance::hasEnded() {
    if (ended_) return true;
    int raw = 0;
    pid_t result = ::waitpid(pid_, &raw, WNOHANG);
    // ECHILD: a workspace handle already reaped it.
    ended_ = result == pid_ || (result < 0 && errno == ECHILD);
    return ended_;
}

void killBundleProcesses(const std::filesystem::path& bundle) {
    std::filesystem::path target = std::filesystem::weakly_canonical(bundle);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        pid_t pid = 0;
        try {
            pid = std::stoi(entry.path().filename().string());
        } catch (const std::exception&) {
            continue;
        }
        if (ProcessHandle::bundleOf(pid) != target) continue;
        ::kill(pid, SIGKILL);
        int raw = 0;
        // Only our own children can (and must) be reaped here.
        ::waitpid(pid, &raw, 0);
    }
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::vector<pid_t> zombieChildren() {
    std::vector<pid_t> zombies;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stream(entry.path() / "stat");
        std::string text((std::istreambuf_iterator<char>(stream)), {});
        std::size_t close = text.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream fields(text.substr(close + 1));
        char state = '?';
        pid_t parent = 0;
        fields >> state >> parent;
        if (state == 'Z' && parent == ::getpid()) {
            zombies.push_back(std::stoi(name));
        }
    }
    return zombies;
}

std::vector<std::string> logLines(const std::filesystem::path& log) {
    std::vector<std::string> lines;
    std::ifstream stream(log);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

}  // namespace corvane::testing
