#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing:
# directly as root, through sudo otherwise, with a clear message when neither works.
set -euo pipefail

packages=(g++ cmake make pkg-config libsdl1.2-dev googletest libgtest-dev libbenchmark-dev
          clang libclang-rt-dev libpng-dev xvfb xauth xdotool x11-apps imagemagick)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "ostrel: installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    run=()
elif command -v sudo >/dev/null 2>&1; then
    run=(sudo)
else
    echo "ostrel: cannot install ${missing[*]}: not root and no sudo. Install them and run again." >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if ! "${run[@]}" apt-get update -qq || ! "${run[@]}" apt-get install -y -qq "${missing[@]}"; then
    echo "ostrel: apt-get could not install ${missing[*]}." >&2
    exit 1
fi
