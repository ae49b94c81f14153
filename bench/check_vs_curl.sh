#!/usr/bin/env bash
# Times `corvane check` against curl making the identical streamed request to
# the local test gateway, 20 runs each, and prints the ratio of the medians.
# Target: corvane within 1.2x of curl.
#
#   bench/check_vs_curl.sh            # builds what is missing
#   CORVANE=path/to/corvane GATEWAY=path/to/corvane-test-gateway bench/check_vs_curl.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-20}
corvane=${CORVANE:-$root/build/release/src/cli/corvane}
gateway=${GATEWAY:-$root/build/debug/tests/tools/test-gateway/corvane-test-gateway}

if [[ ! -x $corvane ]]; then
    cmake --preset release -S "$root" >/dev/null
    cmake --build "$root/build/release" --target corvane -j2
fi
if [[ ! -x $gateway ]]; then
    cmake --preset debug -S "$root" >/dev/null
    cmake --build "$root/build/debug" --target corvane-test-gateway -j2
fi

work=$(mktemp -d)
gateway_pid=
cleanup() {
    [[ -n $gateway_pid ]] && kill "$gateway_pid" 2>/dev/null && wait "$gateway_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A short Chat Completions stream, as a gateway answers a one-token request.
cat >"$work/script.json" <<'JSON'
{"replies": [{"chunks": [
  {"data": "data: {\"choices\":[{\"index\":0,\"delta\":{\"role\":\"assistant\"}}]}\n\n"},
  {"data": "data: {\"choices\":[{\"index\":0,\"delta\":{\"content\":\"1\"}}]}\n\n"},
  {"data": "data: {\"choices\":[{\"index\":0,\"delta\":{},\"finish_reason\":\"length\"}]}\n\n"},
  {"data": "data: [DONE]\n\n"}]}]}
JSON

"$gateway" --script "$work/script.json" >"$work/ready.txt" &
gateway_pid=$!
for _ in $(seq 100); do
    grep -q '^ca=' "$work/ready.txt" 2>/dev/null && break
    sleep 0.05
done
port=$(sed -n 's/^port=//p' "$work/ready.txt")
ca=$(sed -n 's/^ca=//p' "$work/ready.txt")
[[ -n $port && -n $ca ]] || { echo "test gateway did not start" >&2; exit 1; }

export SSL_CERT_FILE=$ca CORVANE_API_KEY=sk-bench-key NO_PROXY=127.0.0.1 no_proxy=127.0.0.1
address="https://127.0.0.1:$port"
body='{"max_tokens":1,"messages":[{"content":"1","role":"user"}],"model":"bench-model","stream":true}'
corvane_command=("$corvane" check --client openCode --address "$address" --model bench-model)
curl_command=(curl -q -sS -N --fail -o /dev/null --cacert "$ca" -X POST
    -H 'Content-Type: application/json' -H 'Accept: text/event-stream'
    -H "Authorization: Bearer $CORVANE_API_KEY" -H 'User-Agent:'
    --data-raw "$body" "$address/v1/chat/completions")

# Both must succeed before their times mean anything.
"${corvane_command[@]}" >/dev/null
"${curl_command[@]}"

quoted() { printf '%q ' "$@"; }

if command -v hyperfine >/dev/null; then
    hyperfine -N --warmup 3 --runs "$runs" --export-json "$work/times.json" \
        -n corvane "$(quoted "${corvane_command[@]}")" -n curl "$(quoted "${curl_command[@]}")" >&2
    /usr/bin/python3 - "$work/times.json" <<'PY'
import json, sys
results = {r["command"]: r["median"] for r in json.load(open(sys.argv[1]))["results"]}
print(f"median corvane {results['corvane'] * 1000:.1f} ms, curl {results['curl'] * 1000:.1f} ms, "
      f"ratio {results['corvane'] / results['curl']:.2f}x")
PY
else
    median_ms() {
        local times=() start
        for _ in $(seq "$runs"); do
            start=$(date +%s%N)
            "$@" >/dev/null
            times+=($((($(date +%s%N) - start) / 1000)))
        done
        printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print (a[int((NR+1)/2)] + a[int(NR/2)+1]) / 2 / 1000}'
    }
    corvane_ms=$(median_ms "${corvane_command[@]}")
    curl_ms=$(median_ms "${curl_command[@]}")
    awk -v a="$corvane_ms" -v b="$curl_ms" \
        'BEGIN {printf "median corvane %.1f ms, curl %.1f ms, ratio %.2fx\n", a, b, a / b}'
fi
