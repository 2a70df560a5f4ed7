#!/usr/bin/env bash
# install_deps.sh - tools/install-deps.sh against fake package tools on PATH: which SDL 1.2
# package it asks apt for, given what pkg-config, sdl-config and apt report.
set -uo pipefail
SCRIPT=$(cd "$(dirname "$0")/../.." && pwd)/tools/install-deps.sh
FAKE=$(mktemp -d /tmp/ostrel-deps.XXXXXX)
trap 'rm -rf "$FAKE"' EXIT

fake() { printf '#!/usr/bin/env bash\n%s\n' "$2" >"$FAKE/$1" && chmod +x "$FAKE/$1"; }
# pkg-config: every module is present; "sdl" only with FAKE_SDL_PC set (its version).
fake pkg-config 'case "$*" in
  *--modversion*sdl*) echo "$FAKE_SDL_PC" ;;
  *--exists*sdl*) [ -n "$FAKE_SDL_PC" ] ;;
  *) exit 0 ;; esac'
fake sdl-config '[ -n "$FAKE_SDL_CONFIG" ] && echo "$FAKE_SDL_CONFIG"'
# apt-cache policy: a candidate only for the packages listed in FAKE_APT.
fake apt-cache 'echo "$2:"; [[ " $FAKE_APT " == *" $2 "* ]] && echo "  Candidate: 1.2" || echo "  Candidate: (none)"'
fake apt-get 'echo "$*" >>"$FAKE/apt.log"'
fake sudo 'exec "$@"'
# dpkg says the maintained build is installed, as it would on such a machine.
fake dpkg-query 'case "$*" in *libsdl1.2-compat-dev*) echo "install ok installed" ;; *) exit 1 ;; esac'
cp "$FAKE/dpkg-query" "$FAKE/dpkg"

failures=0
# name | pkg-config's sdl | sdl-config | real apt packages | SDL package expected
while IFS='|' read -r name pc config apt want; do
    rm -f "$FAKE/apt.log"
    FAKE="$FAKE" FAKE_SDL_PC=$pc FAKE_SDL_CONFIG=$config FAKE_APT=$apt PATH="$FAKE:$PATH" \
        bash "$SCRIPT" >/dev/null 2>&1
    got=$(grep -o 'libsdl[^ ]*' "$FAKE/apt.log" 2>/dev/null | sort -u | tr '\n' ' ')
    if [ "${got% }" != "$want" ]; then
        echo "FAIL: $name: wanted '$want', apt was asked for '${got% }'"
        failures=$((failures + 1))
    fi
done <<'CASES'
maintained build present|1.2.60|1.2.60|libsdl1.2-compat-dev libsdl1.2-dev|
only sdl-config||1.2.60|libsdl1.2-dev|
classic present|1.2.15|1.2.15|libsdl1.2-dev|
none, release ships the classic one|||libsdl1.2-dev libsdl1.2-compat-dev|libsdl1.2-dev
none, release ships only the maintained one|||libsdl1.2-compat-dev|libsdl1.2-compat-dev
SDL 2 is not SDL 1.2|2.26.5||libsdl1.2-dev|libsdl1.2-dev
CASES
exit $((failures > 0))
