#!/usr/bin/env bash
# Installs what the build and the tests need, when any of it is missing: directly as root,
# through sudo otherwise, with a clear message when neither works.
# Each need is checked by what the build uses (a command, a pkg-config module, a library
# file), not by package name, so a package that another provides counts as present: SDL 1.2
# may come from the classic library (libsdl1.2-dev) or from the build on top of SDL 2
# (libsdl1.2-compat-dev), and each of them refuses to be installed over the other.
set -euo pipefail

have() { command -v "$1" >/dev/null 2>&1; }
has_module() { have pkg-config && pkg-config --exists "$@" 2>/dev/null; }

# SDL 1.2 through pkg-config's "sdl" (what CMake asks for) or sdl-config.
have_sdl12() {
    local version=
    if has_module sdl; then
        version=$(pkg-config --modversion sdl 2>/dev/null || true)
    elif have sdl-config; then
        version=$(sdl-config --version 2>/dev/null || true)
    fi
    [[ $version == 1.2.* ]]
}

# apt knows a real (not only virtual) package of that name.
apt_has() {
    have apt-cache && apt-cache policy "$1" 2>/dev/null | grep -q 'Candidate: [0-9]'
}

# The release's default SDL 1.2: the classic library while the release still ships it,
# otherwise the build on top of SDL 2 (newer releases keep only that one).
sdl_package() {
    if ! apt_has libsdl1.2-dev && apt_has libsdl1.2-compat-dev; then
        echo libsdl1.2-compat-dev
    else
        echo libsdl1.2-dev
    fi
}

# libFuzzer: its runtime where clang looks for it (older and newer runtime layouts), else
# a link of an empty fuzz target decides.
have_fuzzer() {
    have clang++ || return 1
    local lib name
    for name in "libclang_rt.fuzzer-$(uname -m).a" libclang_rt.fuzzer.a; do
        lib=$(clang++ -print-file-name="$name" 2>/dev/null || true)
        [[ $lib == /* && -f $lib ]] && return 0
    done
    local dir ok=1
    dir=$(mktemp -d)
    echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
        clang++ -x c++ -fsanitize=fuzzer - -o "$dir/probe" >/dev/null 2>&1 && ok=0
    rm -rf "$dir"
    return $ok
}

missing=()
need() { "${@:2}" || missing+=("$1"); }
need g++ have g++
need cmake have cmake
need make have make
need pkg-config have pkg-config
have_sdl12 || missing+=("$(sdl_package)")
need libgtest-dev has_module gtest gtest_main
need libbenchmark-dev has_module benchmark
need libpng-dev has_module libpng
need libpugixml-dev has_module pugixml
need nlohmann-json3-dev has_module nlohmann_json
need zlib1g-dev has_module zlib
need libsodium-dev has_module libsodium
# Tiled itself checks the maps we exchange with it (tiled and tmxrasterizer).
have_tiled() { have tiled && have tmxrasterizer; }
need tiled have_tiled
need clang have clang++
need libclang-rt-dev have_fuzzer
need xvfb have Xvfb
need xauth have xauth
need xdotool have xdotool
need jq have jq
need imagemagick have convert
[ ${#missing[@]} -eq 0 ] && exit 0

echo "ostrel: installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    run=()
elif have sudo; then
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
