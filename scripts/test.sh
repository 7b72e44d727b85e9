#!/usr/bin/env bash
# Set up, build and run every test, under AddressSanitizer and
# UndefinedBehaviorSanitizer, with warnings as errors (what CI runs).
#
#   bash scripts/test.sh          the full check (formatting, sanitizers)
#   bash scripts/test.sh --fast   the contributors' quick round: the dev
#                                 build without sanitizers, rebuilding only
#                                 what changed
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

if [ "${1:-}" = "--fast" ]; then
    exec cmake --workflow --preset dev
fi

# Formatting is part of the build's rules.
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || true)
if [ -n "$files" ]; then
    # shellcheck disable=SC2086
    clang-format --dry-run -Werror $files
fi

cmake --workflow --preset ci
