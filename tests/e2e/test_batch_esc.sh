# Esc and the real window: pressed once 10 of 50 (more on more cores) are made, it stops
# the run ("Обработка файлов завершена..."): the pictures in work are finished
# and kept, no new one starts; pressed once 10 of 15 are made (within the last
# ten) the run goes on; with no run going, Esc belongs to the other programs: a
# message box of another program closes on it.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
source "$(dirname "$0")/batch_helpers.sh" || exit 1
reset_program_state

# Big enough that a run of 50 takes a few seconds.
pictures() {
    mkdir -p "$1"
    local i
    convert -size 2400x1800 gradient:"rgb(40,60,120)"-white "$1/seed.png"
    for i in $(seq -w 1 "$2"); do cp "$1/seed.png" "$1/p$i.png"; done
    rm "$1/seed.png"
}
# The long run has 30 pictures more than 10 and those in work, so a stop
# (10 made, fewer than 20 while the key travels, those in work) leaves some
# unmade however many cores the machine has: on 2 cores, 50 and fewer than 40.
in_work=$(most_in_work)
long_run=$((10 + in_work + 30))
pictures "$E2E_TMP/long" "$long_run"
pictures "$E2E_TMP/fifteen" 15

# Presses Esc as soon as the folder holds 10 JPEGs.
at_least() { [ "$(jpeg_count "$1")" -ge "$2" ]; }
esc_after_ten() {
    wait_until 60 at_least "$1" 10 || fail "10 pictures did not come"
    xdotool key Escape
}

# The run is over once the count stays the same for a second and no part file is left.
settled_count() {
    local last=-1 now
    while true; do
        now=$(jpeg_count "$1")
        [ "$now" -eq "$last" ] && ! ls "$1"/*.part >/dev/null 2>&1 && break
        last=$now
        sleep 1
    done
    echo "$now"
}

# Esc with no run going reaches another program: its message box closes.
esc_reaches_other_programs() {
    printf 'WScript.Quit MsgBox("Esc probe", 0, "EscProbe")\r\n' >"$E2E_TMP/probe.vbs"
    wine_run wscript.exe "$(unix_to_win "$E2E_TMP/probe.vbs")" >/dev/null 2>&1 &
    local probe=$!
    wait_until 30 window_exists EscProbe || fail "the probe's message box did not appear"
    sleep 0.5
    xdotool key Escape
    local i
    for i in $(seq 50); do
        kill -0 $probe 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 $probe 2>/dev/null; then
        xdotool search --name "^EscProbe\$" key --window %1 Return 2>/dev/null || true
        fail "$1: another program's message box did not get Esc (focus: $(xdotool getwindowfocus getwindowname 2>&1))"
    fi
    wait $probe 2>/dev/null || true
}

varbo_window_start
esc_reaches_other_programs "before any run"

move_to 200 60
drop_on 200 60 "$E2E_TMP/long"
esc_after_ten "$OUT_DIR/001"
stopped=$(settled_count "$OUT_DIR/001")
shot stopped-after-10-of-50
[ "$stopped" -ge 10 ] && [ "$stopped" -lt $((long_run - 10)) ] ||
    fail "pictures of a run stopped after 10 of $long_run (up to $in_work in work): $stopped"

drop_on 200 60 "$E2E_TMP/fifteen"
esc_after_ten "$OUT_DIR/002"
wait_until 60 has_jpegs "$OUT_DIR/002" 15 || fail "the run did not go on: $(jpeg_count "$OUT_DIR/002") pictures"
sleep 0.3
shot went-on-after-10-of-15

# A second after a run the window brings itself to the front (timer 602);
# the other program opens its box after that.
sleep 1.5
esc_reaches_other_programs "after the runs"
assert_eq "" "$(cat "$MESSAGES")" "message boxes"
varbo_window_stop
assert_eq "$(unix_to_win "$E2E_TMP/fifteen")\\p15.png" "$(setting 7)" "LastFile after the run that went on"
echo "ok"
