#!/usr/bin/env bash
# Set up, build the programs and run them on a bundled example: the window
# when a display is available, otherwise the batch program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
example=examples/fluorapatite_AMCSD0001934.cif
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting the window on $example"
    exec ./build/release/app/kevo21 "$example"
fi
echo "No display (DISPLAY and WAYLAND_DISPLAY are not set): running the batch program on $example instead of the window."
out=build/example-output
mkdir -p "$out"
./build/release/cli/kevo21-batch --list "$example"
echo
./build/release/cli/kevo21-batch --json --out "$out" "$example"
echo
title=$(basename "$example" .cif)
tr -d '\r' < "$out/$title-CC-S.out" | sed '1s/^\xEF\xBB\xBF//'
echo "Reports, CSV files and JSON written to $out"
