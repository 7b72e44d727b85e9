#!/usr/bin/env bash
# Starts the real window under a virtual X server (Xvfb) on an example,
# calculates, and saves pictures for a person to look at into
# build/screenshots/: start-up, cation-centred summary, the results bar with
# the geometry button, anion-centred detailed (top and synopsis), a small
# screen, the about box; then the same at 150 % scaling (scaled-150-*.png).
#
#   bash scripts/screenshot.sh [cif-file]
#
# KEVO_PRESET chooses the build (default: dev).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
preset=${KEVO_PRESET:-dev}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target kevo21-screenshots
driver=build/$preset/tests/ui/kevo21-screenshots
out=build/screenshots
rm -rf "$out"
mkdir -p "$out"
# Pictures are not a leak check.
export ASAN_OPTIONS=detect_leaks=0
export QT_QPA_PLATFORM=xcb
run() {
    xvfb-run --auto-servernum --server-args="-screen 0 1920x1080x24 -dpi 96" "$@"
}
run "$driver" "$out" "" "$@"
QT_SCALE_FACTOR=1.5 run "$driver" "$out" "scaled-150-" "$@"
echo "Screenshots in $out"
