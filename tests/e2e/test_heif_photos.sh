# Phone and camera photos in HEIC, HEIF and AVIF with the real varbo.exe, read
# with nothing installed: started with a picture (as Explorer's entry starts
# it) and dropped on the window as a folder. The real photos come from the
# test data of Debian's exiv2 source package (scripts/setup keeps them in
# build/deps/samples): two iPhone photos (grids of 512 x 512 tiles, Display P3
# profile, one of them portrait), Canon's 10-bit 4:2:2 HIF and an AVIF; the
# turned, mirrored and cropped pictures are the test pictures of
# tests/data/heif. A damaged HEIC, or one whose grids name themselves, gets the
# box and no picture; in a folder it is passed over and the run goes on. The date taken and the camera come
# from the file's Exif item.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
source "$(dirname "$0")/batch_helpers.sh" || exit 1
reset_program_state

samples=$VARBO_SOURCE_DIR/build/deps/samples
data=$VARBO_SOURCE_DIR/tests/data/heif
python=/usr/bin/python3
[ -f "$samples/IMG_3578.heic" ] || fail "no sample photos in $samples: run scripts/setup"


# libgd's label.heic states no size (no ispe): its coded picture is 100 x 64.
for row in "IMG_3578.heic 901x675" "2021-02-13-1929.heic 675x901" "Canon.HIF 901x600" "avif.avif 901x506" \
    "label.heic 901x576"; do
    read -r file size <<<"$row"
    make_from "$samples/$file"
    assert_eq "$size" "$(identify -format '%wx%h' "$out")" "size from $file"
    assert_eq "300x300" "$(identify -format '%xx%y' "$out")" "dpi from $file"
done

# The iPhone photo's date taken and camera come along from its Exif item; its
# MakerNote does not.
make_from "$samples/IMG_3578.heic"
assert_eq "2020:04:17 10:03:40|Apple|iPhone XR|" "$(exiftool -s3 -DateTimeOriginal -Make -Model -MakerNoteVersion "$out" | tr '\n' '|')" \
    "the Exif item's fields in the output"

# True colour: the iPhone photo's Display P3 against a colour-managed reference
# (libheif's own decoder, its profile applied by Little CMS).
heif-convert "$samples/IMG_3578.heic" "$E2E_TMP/reference.png" >/dev/null
make_from "$samples/IMG_3578.heic"
read -r mean p95 < <($python "$VARBO_SOURCE_DIR/tests/e2e/colour_photos.py" score "$E2E_TMP/reference.png" "$out")
echo "heif: iPhone photo mean/p95 dE2000 $mean $p95"
awk -v m="$mean" 'BEGIN { exit !(m < 2) }' || fail "iPhone photo: mean dE2000 $mean"

# Upright as the file says, at the size rule of the shown size: the test
# picture is red, green, blue and yellow quarters.
red="255 0 0" green="0 160 0" blue="0 0 255" yellow="255 220 0" white="255 255 255"
for row in "turned-90.heic 675x901 $green" "turned-270.heic 675x901 $blue" "mirrored.heic 901x675 $blue" \
    "cropped.heic 901x675 $red" "quarters.avif 901x675 $red" "ten-bit.heic 901x675 $red"; do
    read -r file size r g b <<<"$row"
    make_from "$data/$file"
    assert_eq "$size" "$(identify -format '%wx%h' "$out")" "size from $file"
    near "$(colour_at "$out" 40,40)" "$r $g $b" 24 || fail "$file: top left is $(colour_at "$out" 40,40)"
done
make_from "$data/right-half-clear.avif"
near "$(colour_at "$out" 850,300)" "$white" 24 || fail "the transparent half: $(colour_at "$out" 850,300)"
assert_eq "" "$(cat "$MESSAGES")" "message boxes"

# A damaged HEIC started with the picture: exit code 0, no picture, the box.
head -c 400000 "$samples/IMG_3578.heic" >"$E2E_TMP/cut short.heic"
status=0
run_varbo "$(unix_to_win "$E2E_TMP/cut short.heic")" || status=$?
assert_eq 0 "$status" "exit code for a damaged HEIC"
[ -f "$(printf '%s/000/varbo_901_%05d.jpg' "$OUT_DIR" $((made_count + 1)))" ] && fail "a picture from a damaged HEIC"
[[ $(cat "$MESSAGES") == *"не смог прочитать этот файл:"*"cut short.heic"*"HEIC, HEIF, AVIF"* ]] ||
    fail "the box for a damaged HEIC: $(cat "$MESSAGES")"
: >"$MESSAGES"

# A HEIC whose grid is one of its own tiles sent libheif round in a circle for
# good (the start never ended): refused before decoding, with the same box.
# The bound is far from "never" and from a slow machine's start alike.
started=$SECONDS
run_varbo "$(unix_to_win "$data/grid-names-itself.heic")" || fail "exit code for a grid that names itself"
[ $((SECONDS - started)) -le 60 ] || fail "a grid that names itself took $((SECONDS - started)) s"
[[ $(cat "$MESSAGES") == *"не смог прочитать этот файл:"*"grid-names-itself.heic"* ]] ||
    fail "the box for a grid that names itself: $(cat "$MESSAGES")"
: >"$MESSAGES"

# A dropped folder: HEIC, HIF and AVIF are listed and made in name order; the
# damaged one and those whose grids name themselves or each other are not
# made, and the run goes on.
folder="$E2E_TMP/Телефон"
mkdir -p "$folder"
cp "$samples/IMG_3578.heic" "$folder/a.heic"
cp "$E2E_TMP/cut short.heic" "$folder/b.HEIC"
cp "$data/grid-names-itself.heic" "$folder/b1.heic"
cp "$data/grids-name-each-other.heic" "$folder/b2.heic"
cp "$samples/Canon.HIF" "$folder/c.HIF"
cp "$samples/avif.avif" "$folder/d.avif"
cp "$data/turned-90.heic" "$folder/e.heif"
varbo_window_start
drop_on 200 60 "$folder"
run_done() { [ "$(jpeg_count "$1")" -eq "$2" ] && ! ls "$1"/*.part >/dev/null 2>&1; }
wait_until 120 run_done "$OUT_DIR/001" 4 || fail "4 pictures did not come: $(jpeg_count "$OUT_DIR/001")"
sleep 1
shot after-drop
sizes=
for k in 1 2 3 4; do sizes+="$(identify -format '%wx%h' "$(printf '%s/001/varbo_901_%05d.jpg' "$OUT_DIR" $k)") "; done
assert_eq "901x675 901x600 901x506 675x901 " "$sizes" "the folder's pictures in name order"
# and the window takes the next drop.
drop_on 200 60 "$data/quarters.heic"
wait_until 60 run_done "$OUT_DIR/002" 1 || fail "the drop after the hostile files made nothing"
varbo_window_stop
assert_eq "" "$(cat "$MESSAGES")" "message boxes"
echo "HEIC, HEIF and AVIF: ok"
