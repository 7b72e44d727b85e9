#!/usr/bin/env bash
# Set up, build the programs and run them on a bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
out=build/example-output
mkdir -p "$out"
example=examples/fluorapatite_AMCSD0001934.cif
./build/release/cli/kevo21-batch --list "$example"
echo
./build/release/cli/kevo21-batch --json --out "$out" "$example"
echo
title=$(basename "$example" .cif)
tr -d '\r' < "$out/$title-CC-S.out" | sed '1s/^\xEF\xBB\xBF//'
echo "Reports, CSV files and JSON written to $out"
