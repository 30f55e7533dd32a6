# 30 pictures dropped as files onto the real window, large and small by turns
# so the workers finish out of order: output k is the k-th picture in drop
# order (not name order), the run goes through without a pause dialog (no
# other window shows). Then the same 30 in reverse, three times over (more on
# many cores), and the window closed as soon as the first picture is on disk:
# the pictures in work are finished, no new one starts, the settings name the
# last picture made and the program ends with its window.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
source "$(dirname "$0")/batch_helpers.sh" || exit 1
reset_program_state

# Picture n (1..30) has the aspect (45 + n) / 100, so its output at 901 wide is
# round(9.01 * (45 + n)) high: 9 pixels from any other. Odd ones are 4000-wide
# PNGs (slow to read), even ones 1200-wide JPEGs.
src=$E2E_TMP/src
mkdir -p "$src"
vips black "$E2E_TMP/seed.v" 4000 3000 --bands 3
vips linear "$E2E_TMP/seed.v" "$E2E_TMP/grey.v" 1 90 --uchar
for n in $(seq 1 30); do
    if [ $((n % 2)) -eq 1 ]; then
        vips crop "$E2E_TMP/grey.v" "$src/p$(printf %02d "$n").png[compression=1]" 0 0 4000 $((40 * (45 + n)))
    else
        vips crop "$E2E_TMP/grey.v" "$src/p$(printf %02d "$n").jpg[Q=90]" 0 0 1200 $((12 * (45 + n)))
    fi
done
path_of() { ls "$src/p$(printf %02d "$1")".*; }
# The picture an output came from, by its height.
source_of() {
    local h
    h=$(identify -format '%h' "$1")
    local n=$(((h * 100 + 450) / 901 - 45))
    local expected=$(((901 * (45 + n) + 50) / 100))
    [ $((h - expected)) -ge -1 ] && [ $((h - expected)) -le 1 ] && [ "$(identify -format '%w' "$1")" -eq 901 ] || n=0
    echo "$n"
}
before=$(cd "$src" && sha256sum *)

# Drop order: 2 1 4 3 ... 30 29, a large one after each small one.
order=()
for n in $(seq 1 2 30); do order+=("$((n + 1))" "$n"); done
paths=()
for n in "${order[@]}"; do paths+=("$(path_of "$n")"); done

visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }
varbo_window_start
move_to 200 60
windows_before=$(visible_windows)
drop_on 200 60 "${paths[@]}"
pause_seen=
until has_jpegs "$OUT_DIR/001" 30 && ! ls "$OUT_DIR"/001/*.part >/dev/null 2>&1; do
    [ "$(visible_windows)" -gt "$windows_before" ] && pause_seen=yes
    [ $SECONDS -lt 300 ] || fail "30 pictures did not come: $(jpeg_count "$OUT_DIR/001")"
    sleep 0.1
done
shot after-30
[ -z "$pause_seen" ] || fail "a pause dialog showed during the run"
got=
for k in $(seq 1 30); do got+="$(source_of "$OUT_DIR/001/varbo_901_$(printf %05d "$k").jpg") "; done
assert_eq "${order[*]} " "$got" "the source of outputs 1 to 30"

# The result stays a second; then the same 30 in reverse order, closed at the
# first picture: three times over, or more where more pictures are in work
# at once, so that the close leaves 30 of them unmade on any number of cores.
sleep 1.5
in_work=$(most_in_work)
rounds=$(((in_work + 60 + 29) / 30))
second=()
second_order=()
for _ in $(seq "$rounds"); do
    for ((i = ${#paths[@]} - 1; i >= 0; i--)); do
        second+=("${paths[$i]}")
        second_order+=("${order[$i]}")
    done
done
drop_on 200 60 "${second[@]}"
until [ "$(jpeg_count "$OUT_DIR/002")" -ge 1 ]; do
    [ $SECONDS -lt 600 ] || fail "the second run made nothing"
    sleep 0.05
done
# The close button as the desktop sends it (WM_DELETE_WINDOW), which Wine turns into WM_CLOSE.
/usr/bin/python3 - "$VARBO_WINDOW" <<'EOF'
import sys
from Xlib import X, display
from Xlib.protocol import event
d = display.Display()
w = d.create_resource_object("window", int(sys.argv[1]))
protocols, delete = d.intern_atom("WM_PROTOCOLS"), d.intern_atom("WM_DELETE_WINDOW")
w.send_event(event.ClientMessage(window=w, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0])))
d.flush()
EOF
for _ in $(seq 150); do kill -0 "$VARBO_PID" 2>/dev/null || break; sleep 0.2; done
kill -0 "$VARBO_PID" 2>/dev/null && fail "the program did not end after its window was closed during a run"
wait "$VARBO_PID" 2>/dev/null || true
made=$(jpeg_count "$OUT_DIR/002")
sleep 2
assert_eq "$made" "$(jpeg_count "$OUT_DIR/002")" "pictures after the program ended"
[ "$made" -lt $((30 * rounds - 30)) ] || fail "$made of $((30 * rounds)) pictures were made: the run went on after the close"
ls "$OUT_DIR"/002/*.part >/dev/null 2>&1 && fail "a part file is left"
got=
want=
for k in $(seq 1 "$made"); do
    got+="$(source_of "$OUT_DIR/002/varbo_901_$(printf %05d "$k").jpg") "
    want+="${second_order[$((k - 1))]} "
done
assert_eq "$want" "$got" "the source of outputs 1 to $made of the closed run"
assert_eq "$(unix_to_win "${second[$((made - 1))]}")" "$(setting 7)" "LastFile: the last picture made"
assert_eq "$(unix_to_win "$OUT_DIR")\\002\\varbo_901_$(printf %05d "$made").jpg" "$(setting 8)" "LastVarbo"
assert_eq "$before" "$(cd "$src" && sha256sum *)" "the sources"
assert_eq "" "$(cat "$MESSAGES")" "message boxes"
echo "ok ($made of $((30 * rounds)) made before the close)"
