#include <benchmark/benchmark.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "clients/opencode/opencode_writer.h"
#include "files/config_files.h"
#include "files/json5.h"
#include "files/json_members.h"
#include "files/json_text.h"

namespace {

using nlohmann::json;

// A configuration of the shape the clients keep (providers with many models,
// agents, MCP servers, free text), pretty-printed, of about `size` bytes.
std::string generatedConfiguration(std::size_t size) {
    json root;
    root["$schema"] = "https://opencode.ai/config.json";
    root["model"] = "corvane-desktop/claude-sonnet";
    root["theme"] = "system";
    int provider = 0;
    std::string dump;
    do {
        json models = json::object();
        for (int m = 0; m < 40; ++m) {
            const std::string id = "model-" + std::to_string(provider) + "-" + std::to_string(m);
            models[id] = {
                {"name", "Model " + std::to_string(m) + " «preview» 模型"},
                {"limit", {{"context", 200000 + m}, {"output", 8192}}},
                {"cost", {{"input", 3.0 + m * 0.125}, {"output", 15.5}, {"cache_read", 0.3}}},
                {"modalities", {{"input", {"text", "image"}}, {"output", {"text"}}}},
                {"reasoning", m % 2 == 0},
                {"tool_call", true},
                {"release_date", "2025-06-" + std::to_string(10 + m % 20)},
                {"id", static_cast<std::uint64_t>(9007199254740993ULL + m)},
            };
        }
        const std::string name = "provider-" + std::to_string(provider);
        root["provider"][name] = {
            {"npm", "@ai-sdk/openai-compatible"},
            {"name", "Provider " + std::to_string(provider)},
            {"options",
             {{"baseURL", "https://gateway" + std::to_string(provider) + ".example.com/api/v1"},
              {"timeout", 600000},
              {"headers", {{"X-Title", "Corvane \"desktop\" setup\n"}}}}},
            {"models", models},
        };
        root["mcp"][name] = {{"type", "local"},
                             {"command", {"npx", "-y", "@modelcontextprotocol/server-" + name}},
                             {"enabled", provider % 3 != 0},
                             {"environment", {{"PATH", "/usr/local/bin:/usr/bin:/bin"}}}};
        ++provider;
        if (provider % 8 == 0) dump = root.dump(2);
    } while (dump.size() < size);
    return dump;
}

const std::string& configurationText() {
    static const std::string text = generatedConfiguration(5'000'000);
    return text;
}

// The same shape at 10 MB as a hand-kept JSONC file: comments before every
// provider and a trailing comma at the end.
const std::string& commentedConfigurationText() {
    static const std::string text = [] {
        std::string plain = generatedConfiguration(10'000'000);
        std::string commented = "// OpenCode, kept by hand\n";
        const std::string marker = "\n    \"provider-";
        std::size_t from = 0;
        for (std::size_t at = plain.find(marker); at != std::string::npos;
             at = plain.find(marker, at + 1)) {
            commented.append(plain, from, at - from);
            commented += "\n    // the next provider, /* kept */";
            from = at;
        }
        commented.append(plain, from);
        commented.insert(commented.rfind('}') - 1, ",");
        return commented;
    }();
    return text;
}

void json5Reader(benchmark::State& state) {
    const std::string& text = configurationText();
    for (auto _ : state) benchmark::DoNotOptimize(corvane::parseJson5(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void nlohmannStrict(benchmark::State& state) {
    const std::string& text = configurationText();
    for (auto _ : state) benchmark::DoNotOptimize(json::parse(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// Both readers must give the same value, or the comparison means nothing.
void sameValue(benchmark::State& state) {
    const std::string& text = configurationText();
    if (corvane::parseJson5(text) != json::parse(text)) {
        state.SkipWithError("the readers disagree");
        return;
    }
    for (auto _ : state) {
    }
    state.counters["bytes"] = static_cast<double>(text.size());
}

const corvane::SelectedClientConfiguration& openCodeSave() {
    static const corvane::SelectedClientConfiguration configuration{
        corvane::Client::openCode,
        corvane::GatewaySettings("https://gw.example.com/api", "sk-bench", "bearer",
                                 {corvane::ModelRow("gw-model", "")}, corvane::Client::openCode),
        ""};
    return configuration;
}

// What the OpenCode writer did before it edited files in place: read the
// file, set the tool's members the same way, write the whole value back.
void openCodeFullRewrite(benchmark::State& state) {
    const std::string& text = commentedConfigurationText();
    for (auto _ : state) {
        json root = corvane::jsonObject(std::optional<std::string>(text));
        json providers = corvane::objectMember(root, "provider");
        providers["corvane-desktop"] = {{"name", "gateway"},
                                        {"options", {{"baseURL", "https://gw/v1"}}}};
        root["provider"] = providers;
        root["model"] = "corvane-desktop/gw-model";
        benchmark::DoNotOptimize(corvane::prettyJSON(root));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The writer as it is: the same value, edited into the text and read back.
void openCodeEditInPlace(benchmark::State& state) {
    const std::string& text = commentedConfigurationText();
    const corvane::InstalledApplication application{std::nullopt, "1.2.0"};
    for (auto _ : state) {
        benchmark::DoNotOptimize(corvane::openCodeConfiguration(openCodeSave(), text, application));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK(sameValue)->Iterations(1);
BENCHMARK(openCodeFullRewrite)->Unit(benchmark::kMillisecond);
BENCHMARK(openCodeEditInPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(json5Reader)->Unit(benchmark::kMillisecond);
BENCHMARK(nlohmannStrict)->Unit(benchmark::kMillisecond);

}  // namespace
