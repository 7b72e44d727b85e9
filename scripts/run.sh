#!/usr/bin/env bash
# Set up, build the programs and run them on a bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
./build/release/cli/kevo21-batch --list examples/halite_NaCl_COD1000041.cif
