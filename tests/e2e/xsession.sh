# xsession.sh - shared helpers of the end-to-end scripts: a private Xvfb server, the editor
# window, and keyboard and mouse input through xdotool. Sourced, not run.

# Exits with 77 (skipped) when a tool the scripts drive is not installed.
x_require_tools() {
    local tool
    for tool in Xvfb xdotool jq "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is not installed (make test installs it)"
            exit 77
        fi
    done
}

# Starts Xvfb on a free display of the given size and exports DISPLAY.
x_start() {
    local size=$1 fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    # -noreset: a server reset when the last client leaves would refuse a client that probes
    # the display, closes it and opens it again, as SDL does while xdotool polls.
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
    X_PID=$!
    local number
    if ! read -r -t 10 number <"$fifo"; then
        rm -f "$fifo"
        echo "FAIL: Xvfb did not start"
        exit 1
    fi
    rm -f "$fifo"
    export DISPLAY=":$number"
}

x_stop() {
    [ -n "${X_PID:-}" ] && kill "$X_PID" 2>/dev/null && wait "$X_PID" 2>/dev/null
    X_PID=
}

# Waits for the editor's window and gives it the keyboard.
x_find_window() {
    local i
    # A loaded machine can take seconds to start the editor.
    for i in $(seq 1 300); do
        X_WIN=$(xdotool search --name '^Ostrel v0.2.4$' 2>/dev/null | head -n 1 || true)
        [ -n "$X_WIN" ] && break
        sleep 0.05
    done
    [ -n "$X_WIN" ] || { echo "FAIL: the editor window did not appear"; return 1; }
    xdotool windowfocus --sync "$X_WIN" 2>/dev/null || xdotool windowfocus "$X_WIN"
}

# Every key and click is handled as an event with its own modifiers; the short pauses only
# let a busy machine keep up.
x_key() {
    xdotool key "$@"
    sleep 0.04
}

# A key pressed with a modifier held (xdotool presses and releases both at once).
x_mod_key() { xdotool key "$1+$2"; sleep 0.06; }
x_shift_key() { x_mod_key shift "$1"; }
x_ctrl_key() { x_mod_key ctrl "$1"; }

# Types a line, several keys to an input step, and submits it with Return. SDL 1.2 takes a
# release and a press of one key that reach it within 2 ms for the key's own repeat and drops
# both (no hand types that fast, but a busy X server hands xdotool's keys over in bursts), so
# the second of two equal keys in a row waits a little.
x_type_line() {
    local text=$1 n a b
    while [ -n "$text" ]; do
        n=1
        while [ "$n" -lt "${#text}" ]; do
            a=${text:n-1:1} b=${text:n:1}
            [ "${a,,}" != "${b,,}" ] || break
            n=$((n + 1))
        done
        xdotool type --delay 6 "${text:0:n}"
        text=${text:n}
        [ -z "$text" ] || sleep 0.04
    done
    xdotool key Return
    sleep 0.1
}

# Pointer to the middle of the tile (dx, dy) away from the view centre's tile, at zoom 1 in a
# window of width w and height h whose view centre lies on a tile corner.
x_tile_pointer() {
    local dx=$1 dy=$2
    xdotool mousemove --window "$X_WIN" $((X_W / 2 + 16 * dx + 8)) $((X_H / 2 + 16 * dy + 8))
    sleep 0.12
}

x_click_tile() {
    local button=$1 dx=$2 dy=$3
    x_tile_pointer "$dx" "$dy"
    xdotool mousedown "$button"
    sleep 0.15
    xdotool mouseup "$button"
    sleep 0.08
}

# Enters a private work folder removed at exit, with the editor (if still running) and Xvfb.
# The editor runs there so that saving and the tileset copy stay there; given the run folder,
# its graphics/ is copied in. fail() prints the reason and the editor's log.
x_workdir() {
    WORK=$(mktemp -d "/tmp/ostrel-$1.XXXXXX")
    EDITOR_PID=
    trap '[ -n "$EDITOR_PID" ] && kill "$EDITOR_PID" 2>/dev/null; x_stop; rm -rf "$WORK"' EXIT
    [ -z "${2:-}" ] || cp -r "$2/graphics" "$WORK/"
    cd "$WORK" || exit 1
    # Settings and per-map state stay in the scratch folder.
    export XDG_CONFIG_HOME="$WORK/config" XDG_STATE_HOME="$WORK/state"
}
fail() { echo "FAIL: $*"; grep -v '^D ' "$WORK/editor.log" 2>/dev/null; exit 1; }
x_require_map() { [ -f "$1" ] || { echo "SKIP: test map $1 is not present"; exit 77; }; }
# Asks level_inspect about a saved map's cells, and ostrel-lvl (through a jq filter of the
# file's entry) about the rest.
q() { "$INSPECT" "$@" 2>/dev/null; }
info() { "$OSTREL_LVL" info --json "$1" | jq -r ".[0] | $2"; }
X_W=640 X_H=480

# Starts Xvfb (of the size given, else the window's) and the editor in an X_W x X_H window.
x_launch() {
    local screen=$1
    shift
    x_start "${screen:-${X_W}x${X_H}}"
    "$OSTREL" -w"$X_W" -h"$X_H" "$@" 2>"$WORK/editor.log" &
    EDITOR_PID=$!
    x_find_window || fail "no window"
    sleep 0.3
    # A map opens at the zoom that shows its content; the sessions count in zoom 1 tiles.
    x_key Escape
    x_key 1
}

# Waits for the editor to quit by itself (a loaded machine may take many seconds to play the
# queued input) and fails unless it ended with status 0.
x_quit_ok() {
    local i
    for i in $(seq 1 600); do kill -0 "$EDITOR_PID" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$EDITOR_PID" 2>/dev/null && fail "the editor did not quit"
    wait "$EDITOR_PID" || fail "exit status $?"
    EDITOR_PID=
}

# Left-button drag through the tiles given as dx dy pairs.
x_drag_tiles() {
    x_tile_pointer "$1" "$2"
    xdotool mousedown 1; sleep 0.15
    shift 2
    while [ $# -ge 2 ]; do x_tile_pointer "$1" "$2"; shift 2; done
    xdotool mouseup 1; sleep 0.08
}

# A short right click at the window's very centre, which scrolls nothing anyway.
x_right_click_centre() {
    xdotool mousemove --window "$X_WIN" $((X_W / 2)) $((X_H / 2)); sleep 0.12
    xdotool mousedown 3; sleep 0.1
    xdotool mouseup 3; sleep 0.1
}

# The cells of the array want (want[x,y]=tile), row by row as level_inspect lists them.
declare -A want=()
want_cells() {
    local key
    for key in "${!want[@]}"; do echo "${key#*,} ${key%,*} ${want[$key]}"; done |
        sort -n -k1,1 -k2,2 | while read -r y x tile; do printf '%s,%s=%s ' "$x" "$y" "$tile"; done
}
# Fails unless the saved file FILE holds exactly the cells of want.
x_expect_cells() {
    [ -f "$1" ] || fail "$1 was not saved"
    local got
    got=$(q "$1" cells)
    [ "$got" = "$(want_cells)" ] || fail "$1 cells: got '$got', want '$(want_cells)'"
}

# check NAME WANT GOT: counts mismatches in $errors.
errors=0
check() {
    [ "$2" = "$3" ] || { echo "MISMATCH: $1: want '$2', got '$3'"; errors=$((errors + 1)); }
}
