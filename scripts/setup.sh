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
          debhelper lintian appstream desktop-file-utils libx11-dev libxrandr-dev
          openbox x11-xserver-utils)
"$root/scripts/install-packages.sh" "${packages[@]}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
