#!/usr/bin/env bash
# Pictures of the window for a person to look at, taken under a virtual X
# server (Xvfb), into build/screenshots/:
#   00-program-start.png  the kevo21 program started on an example (the
#                         whole virtual screen, captured with ImageMagick)
#   01..12-*.png          the real main window driven by kevo21-screenshots:
#                         start-up, cation-centred summary, the results bar
#                         with the geometry button, anion-centred detailed
#                         (top and synopsis), the coordination geometry
#                         (anions detailed, cations detailed at the top and
#                         at the dihedral angles, the results bar while it is
#                         shown, cations summary), a small screen, the about
#                         box
#   13..18-*.png          the calculation settings dialog (as opened, with
#                         the bond-type defaults, after the manual
#                         coordination), the manual coordination dialog
#                         (cations with a cut, anions) and the window after
#                         a calculation with the radii chosen
#   scaled-150-*.png      the same at 150 % scaling
#
#   bash scripts/screenshot.sh [cif-file]
#
# KEVO_PRESET chooses the build (default: dev).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
preset=${KEVO_PRESET:-dev}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target kevo21 kevo21-screenshots
example=${1:-examples/fluorapatite_AMCSD0001934.cif}
out=build/screenshots
rm -rf "$out"
mkdir -p "$out"
# Pictures are not a leak check.
export ASAN_OPTIONS=detect_leaks=0
export QT_QPA_PLATFORM=xcb
screen="-screen 0 1920x1080x24 -dpi 96"

xvfb-run --auto-servernum --server-args="$screen" bash -c '
    "$1" "$2" &
    pid=$!
    sleep 5
    import -window root "$3"
    kill "$pid"
    wait "$pid" || true
    echo "wrote $3"' _ "build/$preset/app/kevo21" "$example" "$out/00-program-start.png"

driver=build/$preset/tests/ui/kevo21-screenshots
xvfb-run --auto-servernum --server-args="$screen" "$driver" "$out" "" "$example"
QT_SCALE_FACTOR=1.5 xvfb-run --auto-servernum --server-args="$screen" \
    "$driver" "$out" "scaled-150-" "$example"
echo "Screenshots in $out"
