#!/usr/bin/env bash
# Times `corvane check` against curl making the identical streamed request to
# the local test gateway, and `corvane models` against curl fetching the same
# model list (a typical one of 40 models, and one of 100,000), 20 runs each
# (RUNS to change), and prints the ratios of the medians.
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
gateway_pids=()
cleanup() {
    for pid in "${gateway_pids[@]}"; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Starts a test gateway answering from script file $1; sets $port and $ca.
start_gateway() {
    local ready="$work/ready-$(basename "$1").txt"
    "$gateway" --script "$1" >"$ready" &
    gateway_pids+=($!)
    for _ in $(seq 100); do
        grep -q '^ca=' "$ready" 2>/dev/null && break
        sleep 0.05
    done
    port=$(sed -n 's/^port=//p' "$ready")
    ca=$(sed -n 's/^ca=//p' "$ready")
    [[ -n $port && -n $ca ]] || { echo "test gateway did not start" >&2; exit 1; }
}

# A short Chat Completions stream, as a gateway answers a one-token request.
cat >"$work/stream.json" <<'JSON'
{"replies": [{"chunks": [
  {"data": "data: {\"choices\":[{\"index\":0,\"delta\":{\"role\":\"assistant\"}}]}\n\n"},
  {"data": "data: {\"choices\":[{\"index\":0,\"delta\":{\"content\":\"1\"}}]}\n\n"},
  {"data": "data: {\"choices\":[{\"index\":0,\"delta\":{},\"finish_reason\":\"length\"}]}\n\n"},
  {"data": "data: [DONE]\n\n"}]}]}
JSON
# A model list of a typical size.
models=$(for i in $(seq 40); do printf '{"id":"model-%d","object":"model","owned_by":"gw"},' "$i"; done)
printf '{"replies": [{"contentType": "application/json", "body": %s}]}' \
    "$(printf '{"object":"list","data":[%s]}' "${models%,}" | python3 -c 'import json,sys; print(json.dumps(sys.stdin.read()))')" \
    >"$work/models.json"

# A list of 100,000 models (about 5 MB): reading and printing it must cost
# little more than fetching it.
/usr/bin/python3 - "$work/models-100k.json" <<'PY'
import json, sys
data = [{"id": "model-%06d" % i, "object": "model", "owned_by": "gw"} for i in range(100000)]
body = json.dumps({"object": "list", "data": data}, separators=(",", ":"))
with open(sys.argv[1], "w") as script:
    json.dump({"replies": [{"contentType": "application/json", "body": body}]}, script)
PY

export CORVANE_API_KEY=sk-bench-key NO_PROXY=127.0.0.1 no_proxy=127.0.0.1
start_gateway "$work/stream.json"
export SSL_CERT_FILE=$ca
stream_address="https://127.0.0.1:$port"
stream_ca=$ca
start_gateway "$work/models.json"
models_address="https://127.0.0.1:$port"
models_ca=$ca
start_gateway "$work/models-100k.json"
large_address="https://127.0.0.1:$port"
large_ca=$ca

body='{"max_tokens":1,"messages":[{"content":"1","role":"user"}],"model":"bench-model","stream":true}'
corvane_check() {
    SSL_CERT_FILE=$stream_ca "$corvane" check --client openCode --address "$stream_address" \
        --model bench-model
}
curl_check() {
    curl -q -sS -N --fail -o /dev/null --cacert "$stream_ca" -X POST \
        -H 'Content-Type: application/json' -H 'Accept: text/event-stream' \
        -H "Authorization: Bearer $CORVANE_API_KEY" -H 'User-Agent:' \
        --data-raw "$body" "$stream_address/v1/chat/completions"
}
corvane_models() {
    SSL_CERT_FILE=$models_ca "$corvane" models --client openCode --address "$models_address"
}
curl_models() {
    curl -q -sS --fail --cacert "$models_ca" -H 'Accept: application/json' \
        -H "Authorization: Bearer $CORVANE_API_KEY" -H 'User-Agent:' "$models_address/v1/models"
}

corvane_large_models() {
    SSL_CERT_FILE=$large_ca "$corvane" models --client openCode --address "$large_address"
}
curl_large_models() {
    curl -q -sS --fail --cacert "$large_ca" -H 'Accept: application/json' \
        -H "Authorization: Bearer $CORVANE_API_KEY" -H 'User-Agent:' "$large_address/v1/models"
}

# Both must succeed before their times mean anything.
for command in corvane_check curl_check corvane_models curl_models corvane_large_models \
    curl_large_models; do
    "$command" >/dev/null
done

# Runs alternate between the two commands so that load from other work on the
# machine falls on both alike; $EPOCHREALTIME costs no extra process.
elapsed_us() {
    local start=$EPOCHREALTIME
    "$@" >/dev/null
    local end=$EPOCHREALTIME
    echo $(((10#${end/./} - 10#${start/./})))
}
median_ms() { sort -n | awk '{a[NR] = $1} END {printf "%.2f", (a[int((NR + 1) / 2)] + a[int(NR / 2) + 1]) / 2000}'; }

# compare NAME CORVANE_FUNCTION CURL_FUNCTION
compare() {
    local corvane_times=() curl_times=()
    for run in $(seq "$runs"); do
        if ((run % 2)); then
            corvane_times+=("$(elapsed_us "$2")")
            curl_times+=("$(elapsed_us "$3")")
        else
            curl_times+=("$(elapsed_us "$3")")
            corvane_times+=("$(elapsed_us "$2")")
        fi
    done
    local corvane_ms curl_ms
    corvane_ms=$(printf '%s\n' "${corvane_times[@]}" | median_ms)
    curl_ms=$(printf '%s\n' "${curl_times[@]}" | median_ms)
    awk -v name="$1" -v a="$corvane_ms" -v b="$curl_ms" -v n="$runs" \
        'BEGIN {printf "%s, %d runs each: median corvane %.1f ms, curl %.1f ms, ratio %.2fx\n", name, n, a, b, a / b}'
}

compare check corvane_check curl_check
compare models corvane_models curl_models
compare "models, 100000 IDs" corvane_large_models curl_large_models
