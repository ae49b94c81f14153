#!/usr/bin/env bash
# Renders the setup window for every client, its states, both dialogs and the
# file chooser under Xvfb with the CJK font, in a light and a dark palette at
# 1x and 2x, into build/debug/screenshots/<palette>-<scale>x/.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset debug >/dev/null
cmake --build build/debug --target window_screenshots -j2
out=build/debug/screenshots
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
for palette in light dark; do
    for scale in 1 2; do
        flags=()
        [[ $palette == dark ]] && flags=(--dark)
        QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale xvfb-run -a -s "-screen 0 2560x1600x24" \
            build/debug/tests/tools/window_screenshots/window_screenshots \
            "$out/$palette-${scale}x" "${flags[@]}"
    done
done
