# Files without paths dragged onto the real window by another Wine program,
# as a phone's folder in Explorer offers its photos: tools/virtual-drag drags
# a data object with only CFSTR_FILEDESCRIPTORW and CFSTR_FILECONTENTS with
# DoDragDrop. The pictures come by their own names, a stream that breaks off
# costs only its own picture, the sender hears of a copy (an asynchronous one
# that the transfer ended), and no copy stays in the data folder.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
source "$(dirname "$0")/batch_helpers.sh" || exit 1
reset_program_state

SENDER=$VARBO_BUILD_DIR/virtual_drag.exe
[ -f "$SENDER" ] || fail "no sender at $SENDER"
src=$E2E_TMP/phone
mkdir -p "$src"
convert -size 640x480 gradient:red-blue -quality 92 "$src/IMG_0001.JPG"
cp "$VARBO_SOURCE_DIR/tests/data/heif/quarters.heic" "$src/IMG_0002.HEIC"
for n in a b c; do convert -size 600x400 xc:grey -quality 92 "$src/$n.jpg"; done
echo notes >"$src/notes.txt"
touch -d @1556964672 "$src/IMG_0001.JPG"  # 2019-05-04 10:11:12 UTC, the descriptor's write time
touch -d @1262347200 "$src/IMG_0002.HEIC"

# drag REPORT ARGS...: the sender's window at 40,40; the button pressed on it
# and let go over the client point 200,60 of the window, in steps as a hand moves.
drag() {
    local report=$1
    shift
    : >"$report"
    wine_run "$SENDER" --at 40,40 --report "$(unix_to_win "$report")" "$@" &
    local sender=$! status=0 tx ty f
    wait_until 30 window_exists "Virtual drag" || fail "the sender's window did not appear"
    read -r tx ty < <(client_point 200 60)
    xdotool mousemove 120 80
    sleep 0.3
    xdotool mousedown 1
    for f in 1 2 3 4 5 6 7 8; do
        xdotool mousemove $((120 + (tx - 120) * f / 8)) $((80 + (ty - 80) * f / 8))
        sleep 0.15
    done
    xdotool mouseup 1
    wait "$sender" || status=$?
    [ $status -eq 0 ] || fail "the sender ended with $status: $(tr '\n' '|' <"$report")"
}

win() { unix_to_win "$src/$1"; }
copies_left() { find "$DATA_DIR" -mindepth 1 -maxdepth 1 -type d | wc -l; }

varbo_window_start
varbo_window_stop
set_setting 20 1  # names kept: each picture's name shows which file it came from
varbo_window_start

# A dragged folder, as Explorer offers one from a phone: its pictures, not the text file.
drag "$E2E_TMP/report1" --folder DCIM "$(win IMG_0001.JPG)" "$(win notes.txt)" "$(win IMG_0002.HEIC)"
wait_until 30 has_jpegs "$OUT_DIR/001" 2 || fail "two pictures did not come: $(ls "$OUT_DIR/001" 2>&1 | tr '\n' ' ')"
shot after-folder
assert_eq "v901_IMG_0001.jpg v901_IMG_0002.jpg" "$(cd "$OUT_DIR/001" && echo *)" "the pictures of the dragged folder"
for f in "$OUT_DIR"/001/*.jpg; do assert_eq 901 "$(identify -format '%w' "$f")" "width of $(basename "$f")"; done
assert_eq "1556964672 1262347200" "$(stat -c %Y "$OUT_DIR"/001/*.jpg | tr '\n' ' ' | sed 's/ $//')" \
    "each picture's modified time is its descriptor's write time"
assert_eq "drop dropped 1|released|" "$(tr '\n' '|' <"$E2E_TMP/report1")" "what the sender heard"
assert_eq 0 "$(copies_left)" "folders left in the data folder"

# An asynchronous sender whose second stream breaks off half-way.
drag "$E2E_TMP/report2" --async --fail 2 "$(win a.jpg)" "$(win b.jpg)" "$(win c.jpg)"
wait_until 30 has_jpegs "$OUT_DIR/002" 2 || fail "two pictures did not come"
sleep 1
assert_eq "v901_a.jpg v901_c.jpg" "$(cd "$OUT_DIR/002" && echo *)" "the pictures whose streams came whole"
assert_eq "drop dropped 1|ended 1|" "$(tr '\n' '|' <"$E2E_TMP/report2")" "what the asynchronous sender heard"
assert_eq 0 "$(copies_left)" "folders left in the data folder"
shot after-broken-stream

varbo_window_stop
echo "ok"
