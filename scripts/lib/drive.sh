# shellcheck shell=bash
# Driving kestenrol on the private X server with the keyboard alone, as a
# user would, and the simulated modem and host it calls. Source it after
# common.sh and x11.sh. A step that cannot be done calls `failed MESSAGE`,
# which the sourcing script defines. Every wait is bounded.

# The demo card: a test number, an expiry three years on.
DEMO_CARD_NUMBER=4111111111111111

# start_hostsim SCENARIO RECORD: starts kestrune-hostsim on the scenario,
# recording into RECORD. Sets HOSTSIM_PID and HOSTSIM_DEVICE (the
# pseudo-terminal to name as the modem).
start_hostsim() {
    local scenario=$1 record=$2 out tenths
    out=$(mktemp "${TMPDIR:-/tmp}/kestrune-hostsim.XXXXXX")
    "$KESTRUNE_BIN/kestrune-hostsim" --record "$record" "$scenario" >"$out" 2>&1 &
    HOSTSIM_PID=$!
    HOSTSIM_DEVICE=
    for ((tenths = 100; tenths > 0; tenths--)); do
        HOSTSIM_DEVICE=$(head -n 1 "$out")
        [[ "$HOSTSIM_DEVICE" == /dev/* ]] && break
        HOSTSIM_DEVICE=
        sleep 0.1
    done
    if [[ -z "$HOSTSIM_DEVICE" ]]; then
        cat "$out" >&2
        rm -f "$out"
        failed "kestrune-hostsim did not start"
    fi
    rm -f "$out"
}

# wait_record FILE LINE SECONDS: waits until the simulator's record holds
# the line.
wait_record() {
    local tenths
    for ((tenths = $3 * 10; tenths > 0; tenths--)); do
        grep -qxF "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

stop_hostsim() {
    if [[ -n "${HOSTSIM_PID:-}" ]]; then
        kill "$HOSTSIM_PID" 2>/dev/null || true
        wait "$HOSTSIM_PID" 2>/dev/null || true
        HOSTSIM_PID=
    fi
}

# set_demo_modem DEVICE: names the device as the wizard's first modem in the
# demo settings, keeping everything else in them.
set_demo_modem() {
    local ini=$XDG_CONFIG_HOME/Kestrune/KestruneRegistration.ini
    (
        umask 077
        awk '/^\[/ { skip = ($0 == "[Modem]") } !skip' "$ini" >"$ini.new"
        printf '[Modem]\nDevice=%s\n' "$1" >>"$ini.new"
        mv -f "$ini.new" "$ini"
    )
}

# shellcheck disable=SC2034 # KESTENROL_PID is read by the caller
# start_kestenrol LOG [ARGUMENT...]: starts the wizard in the demo program
# folder, its output into LOG. Sets KESTENROL_PID.
start_kestenrol() {
    local output=$1
    shift
    (cd "$DEMO_FOLDER" && exec "$DEMO_FOLDER/kestenrol" "$@") >"$output" 2>&1 &
    KESTENROL_PID=$!
}

# peak_memory PID: the process's peak resident memory so far, in KiB.
peak_memory() {
    awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"
}

# Keys go to the window that has the keyboard focus, as a user's typing does.
key() {
    timeout 10 xdotool key --clearmodifiers "$@" || failed "cannot press $*"
    sleep 0.2
}
type_text() {
    timeout 30 xdotool type --clearmodifiers --delay 30 "$1" || failed "cannot type $1"
    sleep 0.2
}
# type_box TEXT: types into the focused box, then Enter moves on.
type_box() {
    type_text "$1"
    key Return
}
# enter_times N: presses Enter N times, moving on past N questions.
enter_times() {
    local n
    for ((n = 0; n < $1; n++)); do
        key Return
    done
}

# focus_window TITLE [SECONDS]: waits for the window and gives it the
# keyboard focus; prints its id.
focus_window() {
    local id
    id=$(wait_window "$1" "${2:-20}") || failed "no window \"$1\" appeared"
    timeout 10 xdotool windowfocus --sync "$id" || failed "cannot focus \"$1\""
    sleep 0.3
    printf '%s\n' "$id"
}

# answer TITLE KEYS: answers the message box of that title with its keys.
answer() {
    local box
    box=$(wait_window "$1" 20) || failed "no \"$1\" message appeared"
    timeout 10 xdotool windowfocus --sync "$box" key --clearmodifiers "$2" ||
        failed "cannot answer \"$1\""
    sleep 0.3
}

step_title() { printf 'Kestrune Registration Wizard - Step %s of 4' "$1"; }
survey_title() { printf 'Kestrune Survey Wizard - Step %s of 8' "$1"; }

# on_step N: waits until the wizard shows step N; prints its id.
on_step() {
    wait_window "$(step_title "$1")" 20 || failed "step $1 did not appear"
}

# accept_terms: waits for the splash and the terms, and presses I Accept.
# With SHOTS set, photographs both into SHOTS/kestenrol-splash.png and
# SHOTS/kestenrol-terms.png.
accept_terms() {
    local splash terms
    splash=$(wait_window "Kestrune" 20) || failed "the splash did not appear"
    if [[ -n "${SHOTS:-}" ]]; then
        snap_window "$splash" "$SHOTS/kestenrol-splash.png" || failed "cannot photograph the splash"
    fi
    terms=$(wait_window "Kestrune - Terms and Conditions" 20) || failed "the terms did not appear"
    if [[ -n "${SHOTS:-}" ]]; then
        snap_window "$terms" "$SHOTS/kestenrol-terms.png" || failed "cannot photograph the terms"
    fi
    say "pressing I Accept (Alt+A)"
    timeout 10 xdotool windowfocus --sync "$terms" key --clearmodifiers alt+a ||
        failed "cannot press I Accept"
}

# snap_step N: with SHOTS set, photographs the wizard on step N.
snap_step() {
    if [[ -n "${SHOTS:-}" ]]; then
        snap_window "$(on_step "$1")" "$SHOTS/kestenrol-step$1.png" ||
            failed "cannot photograph step $1"
    fi
}

# type_registration: types a whole registration into the wizard's four
# steps; the focus is left on Submit.
type_registration() {
    focus_window "$(step_title 1)" >/dev/null
    say "typing a registration into the wizard"
    # Step 1: contact details; Enter moves from box to box, the state list
    # takes its entry from the typed letter, Enter in the last box goes to Next.
    type_box "mary ann"
    type_box "smith"
    type_box "12 high street"
    key Return
    type_box "richmond"
    type_box "v"
    type_box "3121"
    type_box "03 9555 1234"
    type_box "mary@example.com"
    snap_step 1
    key Return
    # Step 2: the Sydney dial-in point; Enter goes to Next.
    on_step 2 >/dev/null
    key Down
    snap_step 2
    key Return
    key Return
    # Step 3: nickname, password twice, a CV of two lines; Alt+N for Next.
    on_step 3 >/dev/null
    type_box "maryann"
    type_box "secret"
    type_box "secret"
    type_text "Strategy and racing games."
    key Return
    type_text "Evenings only."
    snap_step 3
    key alt+n
    # Step 4: call-back number, no information wanted, heard about from a
    # friend; Enter in the list goes to Submit.
    on_step 4 >/dev/null
    type_box "03"
    type_box "95551234"
    key space
    key Return
    type_text "f"
    key Return
    snap_step 4
}

# take_survey: answers the survey's eight steps with the keyboard (arrow
# keys pick an option, letters pick a list's entry, Space ticks, Enter moves
# on to the next question and from the last one to Next), presses Finish
# and acknowledges the thanks. With SHOTS set, photographs step 1.
take_survey() {
    local first
    first=$(focus_window "$(survey_title 1)")
    say "taking the survey"
    # Step 1: age 26 to 35, female, a professional.
    key Down
    key Left
    key Left
    key Return
    key Right
    key Return
    type_text "p"
    if [[ -n "${SHOTS:-}" ]]; then
        snap_window "$first" "$SHOTS/kestenrol-survey.png" || failed "cannot photograph the survey"
    fi
    enter_times 2
    # Step 2: the computer: over 5 years, a Pentium with MMX, the RAM, the
    # disk, a 17" monitor and a CD-ROM drive.
    focus_window "$(survey_title 2)" >/dev/null
    type_box "o"
    type_box "p"
    key space
    key Return
    type_box "m"
    type_box "1"
    type_box "17"
    key space
    enter_times 2
    # Step 3: a sound card with its type, speakers and a joystick.
    focus_window "$(survey_title 3)" >/dev/null
    key space
    key Return
    type_box "SoundBlaster 16"
    key space
    key Return
    key space
    key alt+n
    # Step 4: a Playstation.
    focus_window "$(survey_title 4)" >/dev/null
    key Return
    key space
    key alt+n
    # Step 5: strategy games first, simulations and sport too, 21 to 25
    # hours a month.
    focus_window "$(survey_title 5)" >/dev/null
    type_text "st"
    enter_times 5
    key space
    key Return
    key space
    enter_times 2
    type_text "2"
    key alt+n
    # Step 6: friends influence most; 1 to 5 games owned and to buy.
    focus_window "$(survey_title 6)" >/dev/null
    type_text "f"
    enter_times 7
    type_box "1"
    type_text "1"
    key alt+n
    # Step 7: reviews read first; bought at a games store.
    focus_window "$(survey_title 7)" >/dev/null
    key space
    enter_times 5
    type_text "v"
    key alt+n
    # Step 8: QuakeWorld tried; Finish.
    focus_window "$(survey_title 8)" >/dev/null
    enter_times 2
    key space
    key alt+f
    answer "Kestrune Registration" Return
}

# enter_card: types the demo card into the card window when the host asks
# for it: number, expiry, the name and address offered, plan 2; Enter then
# goes to OK. With SHOTS set, photographs the window filled in. OK is left
# for the caller to press.
enter_card() {
    local card
    card=$(focus_window "Credit Card Details" 60)
    say "typing the card into the card window"
    type_box "$DEMO_CARD_NUMBER"
    type_box "$(date -d '+3 years' +%m%y)"
    enter_times 2
    type_box "2"
    if [[ -n "${SHOTS:-}" ]]; then
        snap_window "$card" "$SHOTS/kestenrol-card.png" || failed "cannot photograph the card window"
    fi
}
