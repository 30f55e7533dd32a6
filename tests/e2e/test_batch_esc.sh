# Esc and the real window: pressed in the pause after picture 10 of 50 it stops
# the run ("Обработка файлов завершена..."); pressed in the pause after 10 of 15
# (within the last ten) the run goes on; with no run going, Esc belongs to the
# other programs: a message box of another program closes on it.
source "$(dirname "$0")/lib.sh"
e2e_init
source "$(dirname "$0")/batch_helpers.sh"
reset_program_state

pictures() {
    mkdir -p "$1"
    local i
    for i in $(seq -w 1 "$2"); do
        convert -size 64x48 xc:"rgb(40,$((10#$i * 4)),120)" "$1/p$i.png"
    done
}
pictures "$E2E_TMP/fifty" 50
pictures "$E2E_TMP/fifteen" 15

# Presses Esc as soon as the wait pause is on screen; answers how many JPEGs were there then.
esc_in_first_pause() {
    wait_until 60 window_exists "Обработка файлов" || fail "no pause came"
    local made
    made=$(jpeg_count "$1")
    xdotool key Escape
    echo "$made"
}

run_ended() {
    ! window_exists "Обработка файлов" && [ "$(jpeg_count "$1")" -eq "$2" ]
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
drop_on 200 60 "$E2E_TMP/fifty"
assert_eq 10 "$(esc_in_first_pause "$OUT_DIR/001")" "pictures made when the pause came"
sleep 0.3
shot stopped-after-10-of-50
wait_until 10 run_ended "$OUT_DIR/001" 10 || fail "the run did not stop: $(jpeg_count "$OUT_DIR/001") pictures"
sleep 2
assert_eq 10 "$(jpeg_count "$OUT_DIR/001")" "pictures of a run stopped after 10 of 50"

drop_on 200 60 "$E2E_TMP/fifteen"
assert_eq 10 "$(esc_in_first_pause "$OUT_DIR/002")" "pictures made when the pause came"
wait_until 30 run_ended "$OUT_DIR/002" 15 || fail "the run did not go on: $(jpeg_count "$OUT_DIR/002") pictures"
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
