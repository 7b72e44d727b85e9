#!/usr/bin/env bash
# Set up, build the programs, install them (as root, into /usr/local, so that
# kevo21 and kevo21-batch are on the PATH) and run them on a bundled example:
# the window when a display is available, otherwise the batch program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
# The two programs only: the benchmarks are built on request (see
# docs/testing.md).
cmake --build --preset release --target kevo21 kevo21-batch

prefix=${KEVO_PREFIX:-/usr/local} # KEVO_PREFIX installs elsewhere
if [ "$(id -u)" -eq 0 ]; then
    cmake --install build/release --prefix "$prefix" >/dev/null
    # The desktop learns the CIF type and the program's entry when the tools
    # for it are there.
    if command -v update-mime-database >/dev/null; then
        update-mime-database "$prefix/share/mime" >/dev/null 2>&1 || true
    fi
    if command -v update-desktop-database >/dev/null; then
        update-desktop-database "$prefix/share/applications" >/dev/null 2>&1 || true
    fi
    echo "Installed: $prefix/bin/kevo21 (the window) and $prefix/bin/kevo21-batch (the batch"
    echo "program), with their tables in $prefix/share/kevo21."
    if [ "$(command -v kevo21-batch || true)" = "$prefix/bin/kevo21-batch" ]; then
        echo "Both are on the PATH: try 'kevo21-batch --help'."
    else
        echo "Add $prefix/bin to the PATH to call them by name."
    fi
else
    echo "Not root: the programs are not installed. They are build/release/app/kevo21 and"
    echo "build/release/cli/kevo21-batch; 'sudo cmake --install build/release' installs them"
    echo "into $prefix."
fi
echo

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
