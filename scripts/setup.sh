#!/usr/bin/env bash
# Installs what building, running and testing Kevo21 needs on Debian 12.
# Run as root. Does nothing (no apt) when everything is already there.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-qpa-plugins libgl-dev
    libcli11-dev nlohmann-json3-dev
    clang libclang-rt-14-dev
    xvfb xauth fonts-dejavu-core fonts-liberation imagemagick
    locales clang-format
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ "${#missing[@]}" -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
        exit 1
    fi
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The tests run the number conversions under a German C locale, where the
# decimal separator is a comma.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: the de_DE.UTF-8 locale is missing and generating it needs root" >&2
        exit 1
    fi
    echo "setup: generating the de_DE.UTF-8 locale"
    localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
