#!/usr/bin/env bash
# Times `corvane check` against curl making the identical streamed request to
# the local test gateway, 20 runs each (RUNS to change), and prints the ratio
# of the medians.
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

# Runs alternate between the two commands so that load from other work on the
# machine falls on both alike; $EPOCHREALTIME costs no extra process.
elapsed_us() {
    local start=$EPOCHREALTIME
    "$@" >/dev/null
    local end=$EPOCHREALTIME
    echo $(((10#${end/./} - 10#${start/./})))
}
median_ms() { sort -n | awk '{a[NR] = $1} END {printf "%.2f", (a[int((NR + 1) / 2)] + a[int(NR / 2) + 1]) / 2000}'; }

corvane_times=()
curl_times=()
for run in $(seq "$runs"); do
    if ((run % 2)); then
        corvane_times+=("$(elapsed_us "${corvane_command[@]}")")
        curl_times+=("$(elapsed_us "${curl_command[@]}")")
    else
        curl_times+=("$(elapsed_us "${curl_command[@]}")")
        corvane_times+=("$(elapsed_us "${corvane_command[@]}")")
    fi
done
corvane_ms=$(printf '%s\n' "${corvane_times[@]}" | median_ms)
curl_ms=$(printf '%s\n' "${curl_times[@]}" | median_ms)
awk -v a="$corvane_ms" -v b="$curl_ms" -v n="$runs" \
    'BEGIN {printf "%d runs each: median corvane %.1f ms, curl %.1f ms, ratio %.2fx\n", n, a, b, a / b}'
