#!/usr/bin/env bash
# Shared set-up of ./play and ./check: install what is missing, then build.
# Usage: scripts/setup.sh <build-dir> [extra cmake options...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
shift

# Debian packages the game, its build and its tests need (the Debian
# packaging tools and checkers for the package and install tests).
packages=(build-essential cmake pkg-config liballegro4-dev libgtest-dev
          xvfb xdotool x11-utils imagemagick xauth python3
          debhelper lintian appstream desktop-file-utils)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    if [[ $(id -u) -eq 0 ]]; then
        sudo_cmd=()
    elif command -v sudo >/dev/null; then
        sudo_cmd=(sudo)
    else
        echo "Please install these Debian packages as root: ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
