#!/usr/bin/env bash
# Time from process start to the setup window's first paint under Xvfb, median
# of 10 runs (release build). The program prints the wall-clock time of its
# first paint and quits when CORVANE_EXIT_AFTER_SHOW is set.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-10}
cmake --preset release >/dev/null
cmake --build build/release --target corvane-setup -j2 >/dev/null
program=build/release/src/gui/corvane-setup
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

"$program" >/dev/null 2>&1  # warm the font and page caches once
times=()
for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    painted=$("$program" 2>/dev/null | awk '/^first-paint / { print $2 }')
    times+=($(((painted - start) / 1000000)))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "runs (ms): ${times[*]}"
middle=$((runs / 2))
if ((runs % 2)); then
    median=${sorted[$middle]}
else
    median=$(((sorted[middle - 1] + sorted[middle]) / 2))
fi
echo "median start to first paint: $median ms"
