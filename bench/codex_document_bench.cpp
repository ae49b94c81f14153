#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "clients/codex/codex_config_document.h"
#include "clients/codex/codex_writer.h"
#include "model/client.h"
#include "model/gateway_settings.h"

namespace corvane {
namespace {

constexpr int kEntries = 200'000;
constexpr int kEntriesPerTable = 100;

// A valid config.toml of kEntries logical lines (about 10 MB) that uses every
// construct the line model has to follow: comments with brackets and quotes,
// values over several lines, both kinds of multi-line string, inline tables.
std::string generatedConfig() {
    const std::string filler(15, 'x');
    std::string text;
    text.reserve(11'000'000);
    for (int i = 0; i < kEntries; ++i) {
        const std::string n = std::to_string(i);
        if (i % kEntriesPerTable == 0 && i > 0) {
            text += "[table_" + n + ".\"sub [" + n + "]\"]";
        } else {
            switch (i % 10) {
                case 0:
                    text +=
                        "# note " + n + ": [brackets] {braces} \"quotes\" 'apostrophes' " + filler;
                    break;
                case 1:
                    text +=
                        "key_" + n + " = \"value # not a comment [" + filler + "] \\\"" + n + "\"";
                    break;
                case 2:
                    text += "int_" + n + " = " + n + "  # trailing comment { " + filler;
                    break;
                case 3:
                    text += "list_" + n + " = [\n  \"a" + n + "\",\n  \"b]" + n + "\", # ]\n]";
                    break;
                case 4:
                    text += "inline_" + n + " = { name = \"n}" + n + "\", port = " + n + " }";
                    break;
                case 5:
                    text +=
                        "text_" + n + " = \"\"\"\nline one [x] " + filler + "\nline # two\n\"\"\"";
                    break;
                case 6:
                    text += "literal_" + n + " = '''\nC:\\path\\[" + n + "]\n" + filler + "'''";
                    break;
                case 7:
                    text += "'quoted key " + n + "' = 'single \\ " + filler + "'";
                    break;
                case 8:
                    text += "";
                    break;
                default:
                    text += "flag_" + n + " = true # " + filler + filler;
                    break;
            }
        }
        text += '\n';
    }
    return text;
}

// Generated once per run; when CORVANE_BENCH_WRITE_CONFIG names a file, the
// text is also written there so that other parsers can be timed on it.
const std::string& config() {
    static const std::string text = [] {
        std::string generated = generatedConfig();
        if (const char* path = std::getenv("CORVANE_BENCH_WRITE_CONFIG")) {
            std::ofstream(path, std::ios::binary) << generated;
        }
        return generated;
    }();
    return text;
}

void BM_Parse(benchmark::State& state) {
    const std::string& text = config();
    for (auto _ : state) {
        CodexConfigDocument document(text);
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);

void BM_Render(benchmark::State& state) {
    const CodexConfigDocument document(config());
    for (auto _ : state) benchmark::DoNotOptimize(document.rendered());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * config().size()));
}
BENCHMARK(BM_Render)->Unit(benchmark::kMillisecond);

void BM_ParseAndRender(benchmark::State& state) {
    const std::string& text = config();
    for (auto _ : state) benchmark::DoNotOptimize(CodexConfigDocument(text).rendered());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseAndRender)->Unit(benchmark::kMillisecond);

// The whole writer on the large file: parse, key tests on every root entry,
// section tests, render.
void BM_WriterConfiguration(benchmark::State& state) {
    const SelectedClientConfiguration configuration{
        Client::codex,
        GatewaySettings("https://gw.example.test", "sk-bench", "bearer", {ModelRow("m", "")},
                        Client::codex),
        ""};
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            codexConfiguration(configuration, config(), "/tmp/corvane-model-catalog.json"));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * config().size()));
}
BENCHMARK(BM_WriterConfiguration)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
