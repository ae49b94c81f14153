#include "clients/hermes/hermes_object.h"

#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "files/home_relative_path.h"
#include "files/json5.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "platform/child_process.h"

namespace corvane {
namespace {

constexpr const char* kConverterPath = "Contents/Resources/agent-payload/venv/bin/python3";
// A YAML error prints only its line and column (0 0 when it has none): the
// library's own message may quote the file, key included. The JSON is built
// whole before it is written, so a value it cannot hold leaves no half.
constexpr const char* kConversion =
    "import json, sys, yaml; sys.excepthook = lambda kind, error, trace: "
    "print(*[getattr(getattr(error, 'problem_mark', None), name, -1) + 1 "
    "for name in ('line', 'column')]); "
    "sys.stdout.write(json.dumps(yaml.safe_load(sys.stdin) or {}))";

bool isExecutableFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && access(path.c_str(), X_OK) == 0;
}

// A file this tool wrote before is JSON and needs no converter.
std::optional<nlohmann::json> directObject(const Bytes& data) {
    try {
        return jsonObject(data);
    } catch (const Json5ParseError&) {
        return std::nullopt;
    } catch (const SetupError&) {
        return std::nullopt;
    }
}

}  // namespace

bool hermesHoldsNoValue(std::string_view data) {
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        if (end == std::string_view::npos) end = data.size();
        std::string_view line = data.substr(start, end - start);
        while (!line.empty() &&
               (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
            line.remove_suffix(1);
        }
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string_view::npos && line[first] != '#' && line != "---" &&
            line != "...") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

namespace {

// What a converter that failed on `file` printed: "line column", 0 0 for an
// error without a place.
std::string conversionFailure(const std::filesystem::path& file, const std::string& output,
                              int status) {
    std::istringstream numbers(output);
    std::size_t line = 0;
    std::size_t column = 0;
    if (numbers >> line >> column && line > 0) {
        return translated("clients.hermes.yaml-unreadable-at",
                          {{"file", homeRelativePath(file)},
                           {"line", std::to_string(line)},
                           {"column", std::to_string(column)}});
    }
    return translated("clients.hermes.yaml-not-converted",
                      {{"file", homeRelativePath(file)}, {"status", std::to_string(status)}});
}

// Feeds the YAML to the converter and returns its JSON text. The whole run
// shares one deadline: a converter that hangs (or a document whose aliases
// expand without end) must not hold the tool forever.
std::string convert(const std::filesystem::path& converter, const Bytes& data,
                    const std::filesystem::path& file, std::stop_token stop,
                    std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto child = ChildProcess::start(
        converter, {"-c", kConversion},
        {ChildProcess::Stream::pipe, ChildProcess::Stream::pipe, ChildProcess::Stream::nullDevice});
    try {
        child->writeInput(data, deadline, stop);
        child->closeInput();
        std::string output = child->readOutputToEnd(deadline, stop);
        const int status = child->waitForExit(deadline, stop);
        if (status != 0) {
            throw SetupError(translated("clients.hermes.malformed"),
                             conversionFailure(file, output, status));
        }
        return output;
    } catch (const ChildProcessTimeout&) {
        child->terminate();
        throw SetupError(
            translated("clients.hermes.malformed"),
            translatedCount("clients.hermes.yaml-timed-out", "clients.hermes.yaml-timed-out.plural",
                            static_cast<unsigned long>(limit.count()),
                            {{"file", homeRelativePath(file)}}));
    }
}

}  // namespace

nlohmann::json hermesObject(const std::optional<Bytes>& data, const std::filesystem::path& file,
                            const std::optional<std::filesystem::path>& application,
                            std::stop_token stop, std::chrono::milliseconds limit) {
    if (!data || hermesHoldsNoValue(*data)) return nlohmann::json::object();
    if (auto object = directObject(*data)) return std::move(*object);

    const std::optional<std::filesystem::path> converter =
        application ? std::optional(*application / kConverterPath) : std::nullopt;
    if (!converter || !isExecutableFile(*converter)) {
        throw SetupError(translated("clients.hermes.run-first"));
    }
    return jsonObject(convert(*converter, *data, file, stop, limit));
}

}  // namespace corvane
