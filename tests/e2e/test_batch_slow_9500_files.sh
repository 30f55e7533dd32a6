# SLOW (about three minutes): 9500 files dropped at once on the real window;
# the run takes the first 9000 in drop order and leaves the rest. Tiny
# pictures at size 60 keep it short, and kept names tell the outputs apart.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
source "$(dirname "$0")/batch_helpers.sh" || exit 1
reset_program_state
export E2E_WINE_TIMEOUT=900

# Long names on purpose: the dropped list is over half a megabyte.
src=$E2E_TMP/nine-and-a-half-thousand
mkdir -p "$src"
convert -size 8x6 xc:"rgb(200,60,60)" "$E2E_TMP/seed.bmp"
python3 -c 'import shutil, sys
for n in range(1, 9501): shutil.copyfile(sys.argv[1], f"{sys.argv[2]}/holiday-photo-from-the-camera-{n:04}.bmp")' \
    "$E2E_TMP/seed.bmp" "$src"
assert_eq 9500 "$(find "$src" -name '*.bmp' | wc -l)" "source files"

varbo_window_start
varbo_window_stop
set_setting 1 60   # MaxPix
set_setting 20 1   # keep the source names: v60_<name>.jpg
varbo_window_start

start=$SECONDS
drop_on 200 60 "$src"/*.bmp
last=$OUT_DIR/001/v60_holiday-photo-from-the-camera-9000.jpg
wait_until 600 [ -f "$last" ] || fail "the 9000th picture did not come: $(jpeg_count "$OUT_DIR/001") made"
sleep 3
echo "9000 pictures in $((SECONDS - start)) s"
shot after-9000

assert_eq 9000 "$(jpeg_count "$OUT_DIR/001")" "pictures made"
[ -e "$OUT_DIR/001/v60_holiday-photo-from-the-camera-0001.jpg" ] || fail "the first file was not made"
[ -e "$OUT_DIR/001/v60_holiday-photo-from-the-camera-9001.jpg" ] && fail "the 9001st file was made"
assert_eq "60x45" "$(identify -format '%wx%h' "$last")" "size of an output"
assert_eq "" "$(cat "$MESSAGES")" "message boxes"
varbo_window_stop
assert_eq "$(unix_to_win "$src")\\holiday-photo-from-the-camera-9000.bmp" "$(setting 7)" "LastFile"
echo "ok"
