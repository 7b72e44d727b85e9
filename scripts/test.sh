#!/usr/bin/env bash
# Set up, build and run every test, under AddressSanitizer and
# UndefinedBehaviorSanitizer, with warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# Formatting is part of the build's rules.
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || true)
if [ -n "$files" ]; then
    # shellcheck disable=SC2086
    clang-format --dry-run -Werror $files
fi

cmake --workflow --preset ci
