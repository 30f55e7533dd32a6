# While a copy runs in window mode, a second start without a picture exits at
# once with 0 and does nothing; a second start with a picture hands it to the
# running copy, which makes it as a command-line start would. Closing the window saves the settings: values that were
# read from the file come back clamped, VarboOver as 0, line 9 as the current
# output folder, and the photo text with its line breaks.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
reset_program_state

mkdir -p "$DATA_DIR"
{
    for n in $(seq 1 20); do
        case $n in
            1) echo "1.[5000] MaxPix" ;;
            9) echo "9.[D:\\Elsewhere] Varbo_Photo" ;;
            10) echo "10.[2] VarboOver" ;;
            11) echo "11.[Verdana] FontName" ;;
            *) echo "$n.[] x" ;;
        esac
    done
} | sed 's/$/\r/' >"$DATA_DIR/varbo.vars"
printf 'Строка 1\r\nСтрока 2' >"$DATA_DIR/varbo_text.txt"

E2E_WINE_TIMEOUT=300 run_varbo &
first=$!
window_shown() { xdotool search --name 'Варбо Pro' >/dev/null 2>&1; }
wait_until 60 window_shown || fail "the first copy shows no window"

rm "$DATA_DIR/Test.jpg"  # a second copy that went on with start-up would write it again
# (It ends by itself: the first copy stays open until the end of the test.)
status=0
E2E_WINE_TIMEOUT=60 run_varbo || status=$?
assert_eq 0 "$status" "exit code of a second copy without a picture"
[ ! -e "$DATA_DIR/Test.jpg" ] || fail "the second copy went on with start-up"

cp "$VARBO_SOURCE_DIR/resources/test_photo.jpg" "$E2E_TMP/pic.jpg"
status=0
E2E_WINE_TIMEOUT=60 run_varbo "$(unix_to_win "$E2E_TMP/pic.jpg")" || status=$?
assert_eq 1 "$status" "exit code of a second copy with a picture"
assert_eq "$OUT_DIR/000/varbo_1700_00001.jpg" "$(find "$OUT_DIR" -type f)" "the handed picture, at the stored size"
kill -0 "$first" 2>/dev/null || fail "the first copy ended early"

wine_run cmd /c "taskkill /im varbo.exe" >/dev/null 2>&1 || true
first_ended() { ! kill -0 "$first" 2>/dev/null; }
wait_until 30 first_ended || fail "the first copy did not close"
status=0
wait "$first" || status=$?
assert_eq 0 "$status" "exit code of the first copy"

vars=$(tr -d '\r' <"$DATA_DIR/varbo.vars")
assert_eq 20 "$(wc -l <<<"$vars")" "lines of varbo.vars"
assert_eq "1.[1700] MaxPix" "$(sed -n 1p <<<"$vars")" "MaxPix saved at exit"
assert_eq "9.[$(unix_to_win "$OUT_DIR")] Varbo_Photo" "$(sed -n 9p <<<"$vars")" "Varbo_Photo saved at exit"
assert_eq "10.[0] VarboOver" "$(sed -n 10p <<<"$vars")" "VarboOver saved at exit"
assert_eq "11.[Verdana] FontName" "$(sed -n 11p <<<"$vars")" "FontName saved at exit"
assert_eq "$(printf 'Строка 1\r\nСтрока 2')" "$(cat "$DATA_DIR/varbo_text.txt")" "photo text saved at exit"
assert_eq "" "$(cat "$MESSAGES")" "message boxes"
echo ok
