# shellcheck shell=bash
# Running the installed programs as another user of the machine on the
# private X server, as that user would start them. Source it after
# common.sh, x11.sh and drive.sh; the caller is root or may use sudo, sets
# AS_USER_WORK to a folder that every user may enter (the programs' logs and
# the users' runtime folders go there) and defines `failed MESSAGE`.

AS_USER_WORK=
AS_USER_PID=
AS_ROOT=()
if [[ "$(id -u)" != 0 ]]; then
    AS_ROOT=(sudo)
fi

# run_as USER LOG COMMAND...: starts COMMAND as USER, with a clean
# environment and the user's home, on the private display, in the
# background; its output goes to AS_USER_WORK/LOG. Sets AS_USER_PID.
run_as() {
    local user=$1 log=$2 home
    shift 2
    home=$(getent passwd "$user" | cut -d: -f6)
    local runtime=$AS_USER_WORK/runtime-$user
    mkdir -p "$runtime"
    "${AS_ROOT[@]}" chown "$user" "$runtime"
    "${AS_ROOT[@]}" chmod 700 "$runtime"
    "${AS_ROOT[@]}" runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$home" \
        USER="$user" DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime" \
        timeout 120 "$@" >"$AS_USER_WORK/$log" 2>&1 &
    AS_USER_PID=$!
}

# finished WHAT STATUS: waits for the program started last to end, with
# that exit status.
finished() {
    wait_exit "$AS_USER_PID" 20
    AS_USER_PID=
    ((EXIT_STATUS == $2)) || failed "$1 ended with exit status $EXIT_STATUS, not $2"
}

# stop_as_user: stops the program started last, if it still runs.
stop_as_user() {
    if [[ -n "$AS_USER_PID" ]] && kill -0 "$AS_USER_PID" 2>/dev/null; then
        kill "$AS_USER_PID" 2>/dev/null || true
        wait "$AS_USER_PID" 2>/dev/null || true
    fi
    AS_USER_PID=
}

# reset_keys USER NAME PASSWORD COMMAND...: the user starts the reset tool
# with COMMAND, types the new user name and password, presses Update and
# acknowledges the message that the keys have been reset, which ends the
# tool.
reset_keys() {
    local user=$1 name=$2 password=$3 window box
    shift 3
    run_as "$user" "acctrestore-$user.log" "$@"
    window=$(focus_window "Kestrune Account Restore" 30)
    type_box "$name"
    type_box "$password"
    key Return
    # The message comes under the tool's own title.
    box=$(wait_other_window "Kestrune Account Restore" "$window" 20) ||
        failed "acctrestore as $user did not say that the keys were reset"
    timeout 10 xdotool windowfocus --sync "$box" key --clearmodifiers Return ||
        failed "cannot acknowledge the reset as $user"
    finished "acctrestore as $user" 0
}
