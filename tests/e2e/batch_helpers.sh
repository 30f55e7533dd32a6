# Window-mode helpers for the batch-run and photo-text end-to-end tests.
# Source after lib.sh and call e2e_init first.
#
#   varbo_window_start        starts varbo.exe in window mode, waits for its window (VARBO_WINDOW)
#   varbo_window_stop         closes it as a user would (WM_CLOSE: the settings are saved), waits for the exit
#   client_point X Y          root coordinates of client pixel X,Y (CLIENT_H: 160, or 250 with the panel open)
#   move_to X Y, click_at X Y [BUTTON]   the pointer on client pixels
#   drop_on X Y PATH...       tools/xdnd-drop at client X,Y (y > 154: the lower band)
#   set_setting N VALUE       the value of line N of varbo.vars (the program must not be running)
#   setting N                 the value of line N of varbo.vars
#   shot NAME                 screenshot of the window into $SHOT_DIR/NAME.png (kept for people to look at)
#   jpeg_count DIR            number of *.jpg files in DIR
#   has_jpegs DIR N           DIR holds exactly N of them (for wait_until)
#   window_exists TITLE       a window of that exact title is mapped
#   most_in_work              the most pictures a run has in work at once on this machine

CLIENT_H=160
VARBO_WINDOW=
VARBO_PID=
SHOT_DIR=${VARBO_BUILD_DIR}/e2e-shots/$(basename "$0" .sh)
mkdir -p "$SHOT_DIR"

varbo_window_start() {
    # A Windows path: started from a Unix path, "taskkill /im varbo.exe" would not find the program.
    local log=$E2E_TMP/window-start.log
    WINEDEBUG=-all,err+all wine_run "$(unix_to_win "$VARBO_EXE")" >"$log" 2>&1 &
    VARBO_PID=$!
    wait_until 60 window_exists "Варбо Pro." || fail "the main window did not appear: $(start_report "$log")"
    VARBO_WINDOW=$(xdotool search --name "^Варбо Pro\.$" | head -1)
    CLIENT_H=160
    wait_until 20 window_settled || fail "the main window did not settle"
}

# What a start that showed no window left behind: whether it still runs, the
# windows on the screen, and what Wine printed.
start_report() {
    local state=ended
    kill -0 "$VARBO_PID" 2>/dev/null && state="still running"
    local names
    names=$(xdotool search --onlyvisible --name '' getwindowname %@ 2>/dev/null | tr '\n' '|')
    printf '%s; visible windows: %s; Wine said: %s' "$state" "${names:-none}" "$(tail -c 1500 "$1")"
}

# The window appears at (0, 0) and is then centred: it has settled when it stands still.
window_settled() {
    local before
    before=$(xdotool getwindowgeometry "$VARBO_WINDOW" 2>/dev/null)
    sleep 0.3
    [ -n "$before" ] && [ "$before" = "$(xdotool getwindowgeometry "$VARBO_WINDOW" 2>/dev/null)" ]
}

varbo_window_stop() {
    close_varbo "$VARBO_PID"
}

window_exists() {
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1
}

client_point() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$VARBO_WINDOW")"
    # Wine draws the frame itself: equal borders left, right and below, the caption above.
    local border=$(((WIDTH - 400) / 2))
    local caption=$((HEIGHT - CLIENT_H - border))
    echo "$((X + border + $1)) $((Y + caption + $2))"
}

move_to() {
    # Two moves, so the window sees one even when the pointer is there already.
    # shellcheck disable=SC2046
    xdotool mousemove $(client_point "$(($1 + 1))" "$2")
    sleep 0.05
    # shellcheck disable=SC2046
    xdotool mousemove $(client_point "$1" "$2")
    sleep 0.15
}

click_at() {
    move_to "$1" "$2"
    xdotool click "${3:-1}"
    sleep 0.3
}

drop_on() {
    local x=$1 y=$2
    shift 2
    /usr/bin/python3 "$VARBO_SOURCE_DIR/tools/xdnd-drop" --window "$VARBO_WINDOW" --at "$x,$y" \
        --client-size "400x$CLIENT_H" "$@" || fail "the drop was not taken"
}

set_setting() {
    local file=$DATA_DIR/varbo.vars
    local label
    label=$(sed -n "${1}p" "$file" | sed 's/^[0-9]*\.\[.*\] //; s/\r$//')
    sed -i "${1}s/.*/${1}.[${2//\\/\\\\}] ${label}\r/" "$file"
}

setting() {
    sed -n "${1}p" "$DATA_DIR/varbo.vars" | sed 's/^[0-9]*\.\[//; s/\] [^]]*$//'
}

shot() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$VARBO_WINDOW")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$SHOT_DIR/$1.png"
}

jpeg_count() {
    find "$1" -maxdepth 1 -name '*.jpg' 2>/dev/null | wc -l
}

has_jpegs() {
    [ "$(jpeg_count "$1")" -eq "$2" ]
}

# A run's workers are one per processor that Wine shows, at most 8, and each
# may have a picture in work and eight made ahead, all of which a stop or a
# close lets finish.
most_in_work() {
    local processors
    processors=$(wine_run cmd /c 'echo %NUMBER_OF_PROCESSORS%' | tr -d '\r')
    [[ $processors =~ ^[0-9]+$ ]] || fail "no processor count from Wine: $processors"
    echo $((9 * (processors < 8 ? processors : 8)))
}
