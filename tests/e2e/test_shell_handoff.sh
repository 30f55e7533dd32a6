# Explorer starts one copy of the program per selected picture, all at once,
# for up to 100 pictures. 50 simultaneous starts (HANDOFF_STARTS to change it)
# with as many different pictures make as many pictures, one per start and
# each start ending with its job's result, and no box: first with no window
# open (the copies take turns), then with the window open (they hand their
# pictures to it, and it stays open).
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
source "$(dirname "$0")/shell_lib.sh" || exit 1
e2e_init
reset_program_state
starts=${HANDOFF_STARTS:-50}
# The last copy in line waits for all the others.
export E2E_WINE_TIMEOUT=$((starts * 15 + 120))

count_outputs() { find "$OUT_DIR" -name '*.jpg' | wc -l; }
# When a count is short: which number is missing, and what the copies said
# (Wine that cannot start a copy also ends with 1: what each start printed.)
show_outputs_unless() {
    [ "$(count_outputs)" -eq "$1" ] || { find "$OUT_DIR" | sort; cat "$MESSAGES"; grep -H . "$E2E_TMP"/start-*.log || true; } >&2
}

mkdir -p "$E2E_TMP/in"
pictures=()
for i in $(seq -w 1 "$starts"); do
    p="$E2E_TMP/in/Фото $i.jpg"
    convert -size 640x480 "xc:rgb($((10#$i * 2 % 256)),80,160)" -quality 90 "$p"
    pictures+=("$p")
done

# One start alone first: the races below mean nothing unless it makes its picture.
status=0
run_varbo "$(unix_to_win "${pictures[0]}")" || status=$?
assert_eq 1 "$status" "exit code of a single start with a picture"
assert_eq 1 "$(count_outputs)" "pictures made by a single start"
find "$OUT_DIR" -name '*.jpg' -delete

# Their Windows paths are worked out beforehand, so the starts follow each
# other closely; a start with an empty argument would be a start of the window.
win_pictures=()
for p in "${pictures[@]}"; do
    w=$(unix_to_win "$p")
    [ -n "$w" ] || fail "no Windows path for $p"
    win_pictures+=("$w")
done

start_all() {
    local pids=() p pid status failed=0 i=0
    rm -f "$E2E_TMP"/start-*.log
    for p in "${win_pictures[@]}"; do
        i=$((i + 1))
        run_varbo "$p" >"$E2E_TMP/start-$i.log" 2>&1 &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do
        status=0
        wait "$pid" || status=$?
        [ "$status" -eq 1 ] || failed=$((failed + 1))
    done
    echo "$failed"
}

assert_eq 0 "$(start_all)" "starts that did not end with 1 (no window)"
show_outputs_unless "$starts"
assert_eq "$starts" "$(count_outputs)" "pictures made by $starts starts without a window"
find "$OUT_DIR" -name '*.jpg' -delete

start_window
wait_for_window
assert_eq 0 "$(start_all)" "starts that did not end with 1 (window open)"
show_outputs_unless "$starts"
assert_eq "$starts" "$(count_outputs)" "pictures made by $starts starts with the window open"
# A relative path means the starting copy's current folder, not the window's.
status=0
(cd "$E2E_TMP/in" && run_varbo "$(basename "${pictures[0]}")" >/dev/null 2>&1) || status=$?
assert_eq 1 "$status" "exit code for a relative path handed to the window"
assert_eq $((starts + 1)) "$(count_outputs)" "pictures after the relative path"
kill -0 "$WINDOW_PID" 2>/dev/null || fail "the window copy ended"
window_shown || fail "the window is gone"
close_window
assert_eq "" "$(cat "$MESSAGES")" "message boxes"
echo "ok"
