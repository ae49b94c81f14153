#!/usr/bin/env bash
# Times the Codex line model on the benchmark's generated config.toml (about
# 10 MB, 200,000 entries) against Python's tomllib parsing the same file, and
# prints the ratio. Builds the benchmark first when it is missing.
#   bench/codex_vs_tomllib.sh [build folder, default build/bench]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}
bench=$build/bench/codex_document_bench
if [[ ! -x $bench ]]; then
    (cd "$root" && cmake --preset bench >/dev/null && cmake --build "$build" --target codex_document_bench -j2)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
config=$work/config.toml

CORVANE_BENCH_WRITE_CONFIG=$config "$bench" \
    --benchmark_filter='^BM_Parse(AndRender)?$' --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=json >"$work/bench.json"

/usr/bin/python3 - "$config" "$work/bench.json" <<'PY'
import json, sys, time, tomllib

config, report = sys.argv[1], sys.argv[2]
with open(config, "rb") as f:
    text = f.read().decode("utf-8")

def ours(name):
    for run in json.load(open(report))["benchmarks"]:
        if run["run_name"] == name and run.get("aggregate_name") == "median":
            scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[run["time_unit"]]
            return run["real_time"] * scale
    raise SystemExit(f"no median for {name} in the benchmark report")

runs = []
for _ in range(3):
    start = time.perf_counter()
    tomllib.loads(text)
    runs.append(time.perf_counter() - start)
reference = min(runs)

parse, parse_render = ours("BM_Parse"), ours("BM_ParseAndRender")
print(f"file: {len(text.encode()) / 1e6:.1f} MB, {text.count(chr(10))} lines")
print(f"CodexConfigDocument parse (median of 5): {parse * 1e3:8.1f} ms")
print(f"CodexConfigDocument parse + render:      {parse_render * 1e3:8.1f} ms")
print(f"Python {sys.version.split()[0]} tomllib.loads (best of 3): {reference * 1e3:8.1f} ms")
print(f"ratio tomllib / parse: {reference / parse:.1f}x, "
      f"tomllib / parse + render: {reference / parse_render:.1f}x")
PY
