#!/usr/bin/env bash
# Time from process start to the setup window's first paint under Xvfb, against
# a Qt hello-world window timed the same way in the same run, median of 10 runs
# each (release build). Both programs print the wall-clock time of their first
# paint and quit (corvane-setup when CORVANE_EXIT_AFTER_SHOW is set).
# Target: the setup window within 1.2x the hello-world (the clients' looks
# are read after the first paint).
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-10}
cmake --preset release >/dev/null
cmake --build build/release --target corvane-setup -j2 >/dev/null
cmake -S bench/hello_window -B build/release/hello_window -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release/hello_window -j2 >/dev/null
program=build/release/src/gui/corvane-setup
hello=build/release/hello_window/hello_window
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
export QT_QPA_PLATFORM=xcb CORVANE_EXIT_AFTER_SHOW=1

# One X server for all runs, so its own start-up is not counted.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb"' EXIT
export DISPLAY=$display
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    [[ -S /tmp/.X11-unix/X${display#:} ]] && break
    sleep 0.1
done

first_paint_ms() {
    local start painted
    start=$(date +%s%N)
    painted=$("$1" 2>/dev/null | awk '/^first-paint / { print $2 }')
    echo $(((painted - start) / 1000000))
}

median() {
    local sorted middle
    sorted=($(printf '%s\n' "$@" | sort -n))
    middle=$(($# / 2))
    if (($# % 2)); then
        echo "${sorted[$middle]}"
    else
        echo $(((sorted[middle - 1] + sorted[middle]) / 2))
    fi
}

"$program" >/dev/null 2>&1  # warm the font and page caches once
"$hello" >/dev/null 2>&1
window_times=()
hello_times=()
# Taken in turns, so a busy moment of the machine hits both.
for _ in $(seq "$runs"); do
    window_times+=("$(first_paint_ms "$program")")
    hello_times+=("$(first_paint_ms "$hello")")
done
window_median=$(median "${window_times[@]}")
hello_median=$(median "${hello_times[@]}")
echo "setup window runs (ms): ${window_times[*]}"
echo "hello-world runs (ms):  ${hello_times[*]}"
echo "median start to first paint: setup window $window_median ms, hello-world $hello_median ms"
awk -v w="$window_median" -v h="$hello_median" 'BEGIN {
    printf "ratio: %.2fx (target within 1.2x)\n", w / h
    exit !(w <= 1.2 * h)
}'
