#!/usr/bin/env bash
# Set up, build the programs and run them on a bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
./build/release/cli/kevo21-formula "-x+1/2" 0.25 0 0
