# shellcheck shell=bash
# Running programs on a private X server (Xvfb) and driving them: wait for a
# window by its exact title, photograph it, ask it to close. Source it after
# common.sh. Every wait here is bounded.

X11_SCREEN=${X11_SCREEN:-1024x768x24}
XVFB_PID=
X11_WORK=

# Starts Xvfb on a free display and exports DISPLAY.
start_xvfb() {
    X11_WORK=$(mktemp -d "${TMPDIR:-/tmp}/kestrune-x11.XXXXXX")
    local fifo=$X11_WORK/displayfd number=
    mkfifo "$fifo"
    # -displayfd: Xvfb picks a free display and writes its number once it
    # accepts connections.
    Xvfb -displayfd 3 -screen 0 "$X11_SCREEN" -nolisten tcp -noreset \
        3>"$fifo" >"$X11_WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    if ! read -r -t 20 number <"$fifo" || [[ -z "$number" ]]; then
        cat "$X11_WORK/xvfb.log" >&2 || true
        die "Xvfb did not start"
    fi
    export DISPLAY=:$number
    # The programs draw through X, never off screen, whatever the caller set.
    export QT_QPA_PLATFORM=xcb
}

stop_xvfb() {
    if [[ -n "$XVFB_PID" ]]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
    if [[ -n "$X11_WORK" ]]; then
        rm -rf "$X11_WORK"
        X11_WORK=
    fi
}

# The helper that sends WM_DELETE_WINDOW, compiled once into the build folder.
close_window_tool() {
    local tool=$KESTRUNE_BUILD_DIR/scripts-tools/close-window
    local source=$KESTRUNE_ROOT/scripts/lib/close-window.c
    if [[ ! -x "$tool" || "$source" -nt "$tool" ]]; then
        mkdir -p "${tool%/*}"
        cc -O2 -Wall -o "$tool" "$source" -lX11 || die "cannot build $tool"
    fi
    printf '%s\n' "$tool"
}

# Prints a pattern that matches exactly the given window title.
exact_title_pattern() {
    local text=$1
    text=$(printf '%s' "$text" | sed -e 's/[][\.*^$+?(){}|/]/\\&/g')
    printf '^%s$' "$text"
}

# wait_window TITLE SECONDS: prints the id of the first shown window with
# exactly that title; fails when none is shown within SECONDS.
wait_window() {
    local title=$1 seconds=$2 ids
    ids=$(timeout "$seconds" xdotool search --sync --onlyvisible --name \
        "$(exact_title_pattern "$title")" 2>/dev/null) || return 1
    [[ -n "$ids" ]] || return 1
    head -n 1 <<<"$ids"
}

# wait_other_window TITLE ID SECONDS: prints the id of a shown window with
# exactly that title other than ID (a message box under its window's
# title); fails when none is shown within SECONDS.
wait_other_window() {
    local pattern tenths id
    pattern=$(exact_title_pattern "$1")
    for ((tenths = $3 * 10; tenths > 0; tenths--)); do
        for id in $(xdotool search --onlyvisible --name "$pattern" 2>/dev/null); do
            if [[ "$id" != "$2" ]]; then
                printf '%s\n' "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}

# wait_any_window PID SECONDS: prints the id of the first shown window of the
# process with a title.
wait_any_window() {
    local pid=$1 seconds=$2 ids
    ids=$(timeout "$seconds" xdotool search --sync --onlyvisible --pid "$pid" --name '.' \
        2>/dev/null) || return 1
    [[ -n "$ids" ]] || return 1
    head -n 1 <<<"$ids"
}

# snap_window ID FILE: saves the window's picture as a PNG. A window just
# shown is given a moment to paint first.
snap_window() {
    local id=$1 file=$2
    sleep 0.5
    mkdir -p "$(dirname "$file")"
    import -window "$id" "png:$file" || return 1
    say "saved $file"
}

# close_window ID: asks the window to close, as its close box would.
close_window() {
    "$(close_window_tool)" "$1"
}

# shellcheck disable=SC2034 # EXIT_STATUS is read by the caller
# wait_exit PID SECONDS: waits for a background child to end; when it has
# not ended in time it is stopped. Sets EXIT_STATUS.
wait_exit() {
    local pid=$1 seconds=$2 tenths
    for ((tenths = seconds * 10; tenths > 0; tenths--)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        say "process $pid still running after ${seconds}s; stopping it"
        kill "$pid" 2>/dev/null || true
        for ((tenths = 30; tenths > 0; tenths--)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    EXIT_STATUS=0
    wait "$pid" 2>/dev/null || EXIT_STATUS=$?
}
