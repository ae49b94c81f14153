#include <benchmark/benchmark.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "files/json5.h"

namespace {

using nlohmann::json;

// A configuration of the shape the clients keep (providers with many models,
// agents, MCP servers, free text), pretty-printed, of about 5 MB.
const std::string& configurationText() {
    static const std::string text = [] {
        json root;
        root["$schema"] = "https://opencode.ai/config.json";
        root["model"] = "corvane-desktop/claude-sonnet";
        root["theme"] = "system";
        int provider = 0;
        std::string dump;
        do {
            json models = json::object();
            for (int m = 0; m < 40; ++m) {
                const std::string id =
                    "model-" + std::to_string(provider) + "-" + std::to_string(m);
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
        } while (dump.size() < 5'000'000);
        return dump;
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

BENCHMARK(sameValue)->Iterations(1);
BENCHMARK(json5Reader)->Unit(benchmark::kMillisecond);
BENCHMARK(nlohmannStrict)->Unit(benchmark::kMillisecond);

}  // namespace
