#!/usr/bin/env bash
# Renders the setup window for every client under Xvfb with the CJK font into
# build/debug/screenshots/, so anyone can look at it.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset debug >/dev/null
cmake --build build/debug --target window_screenshots -j2
out=build/debug/screenshots
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
    build/debug/tests/tools/window_screenshots/window_screenshots "$out"
