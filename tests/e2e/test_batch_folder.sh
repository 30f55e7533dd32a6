# A folder of 12 pictures and 3 other files dropped on the real window: run
# folder 001 gets 12 JPEGs in the pictures' name order, at the size and the
# quality chosen with the selector, without a pause; a second drop makes
# 002; a drop of a text file makes nothing; a damaged file dropped with a
# WebP and a JPEG leaves those two made; the sources stay as they were; the
# last picture is remembered at exit.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
source "$(dirname "$0")/batch_helpers.sh" || exit 1
reset_program_state

# Widths 310, 320, ... 420 by number, height 200: each output height (901 wide)
# tells which source it came from. Mixed case: in byte order "IMG_" would all
# come before "img_". (Wine lists a folder in name order already, as NTFS
# does; the sort for other file systems is pinned by the unit tests.)
src="$E2E_TMP/Фото отпуск"
mkdir -p "$src"
for i in $(seq 1 12); do
    name=$([ "$i" -le 6 ] && echo "IMG_$i.jpg" || echo "img_$i.jpg")
    convert -size "$((300 + 10 * i))x200" gradient:"rgb($((20 * i)),80,160)"-white -quality 95 "$src/$name"
    touch -d "@$((1500000001 + 86401 * i))" "$src/$name"
done
echo "notes" >"$src/notes.txt"
echo "doc" >"$src/report.doc"
printf '\x89PNG fake' >"$src/scan.pdf"
before=$(cd "$src" && ls -l --time-style=+%s && sha256sum *)

varbo_window_start
shot start

# Quality 60 with the selector: hover the quality dial, then slide along the
# band; x 92 is a fifth of the way from 50 to 100.
move_to 260 30
move_to 92 130
sleep 0.3
move_to 92 131
sleep 0.2
shot quality-60-sliding
click_at 92 131
move_to 200 60

# The run has ended when its folder holds the JPEGs and no part file is left.
run_done() {
    [ "$(jpeg_count "$1")" -eq "$2" ] && ! ls "$1"/*.part >/dev/null 2>&1
}

drop_on 200 60 "$src"
wait_until 60 run_done "$OUT_DIR/001" 12 || fail "12 pictures did not come: $(jpeg_count "$OUT_DIR/001")"
sleep 0.3
shot after-first-drop
window_exists "Обработка файлов" && fail "a pause dialog is shown"

# Output k holds the k-th picture in name order: IMG_1, img_10, img_11, img_12, IMG_2 ... img_9.
heights=
for k in $(seq -w 1 12); do
    out=$OUT_DIR/001/varbo_901_000$k.jpg
    assert_file "$out"
    heights+="$(identify -format '%w %h' "$out") $(quant_signature "$out") $(identify -format '%x' "$out") "
done
win_src=$(unix_to_win "$src")
expected_list=
for name in IMG_1 img_10 img_11 img_12 IMG_2 IMG_3 IMG_4 IMG_5 IMG_6 img_7 img_8 img_9; do
    expected_list+="$win_src\\$name.jpg"$'\r\n'
done
# (The dot keeps the last line end from being cut off.)
assert_eq "$expected_list." "$(cat "$DATA_DIR/DropFolderList.txt"; echo .)" "DropFolderList.txt"
# Quality 60 is raised to 64.125, so its table is scaled to 72 %: DC 16 -> 12, 85 -> 61.
assert_eq "901 581 12 61 300 901 450 12 61 300 901 439 12 61 300 901 429 12 61 300 901 563 12 61 300 901 546 12 61 300 901 530 12 61 300 901 514 12 61 300 901 500 12 61 300 901 487 12 61 300 901 474 12 61 300 901 462 12 61 300 " \
    "$heights" "width, height, quality and dpi of outputs 1 to 12"
assert_eq "$(cd "$src" && stat -c %Y IMG_1.jpg img_1[0-2].jpg IMG_[2-6].jpg img_[7-9].jpg)" "$(stat -c %Y "$OUT_DIR"/001/*.jpg)" "each output's modified time is its source's"

drop_on 200 60 "$src"
wait_until 60 run_done "$OUT_DIR/002" 12 || fail "the second run did not make 12 pictures: $(jpeg_count "$OUT_DIR/002")"
shot after-second-drop

# A file that is no picture: nothing is made.
drop_on 200 60 "$src/notes.txt"
sleep 1.5
shot after-text-drop
[ -e "$OUT_DIR/003" ] && fail "a text file made a run folder"
# The folder icon still shows 002, so a click opens a folder that exists.
convert "$SHOT_DIR/after-text-drop.png" "$SHOT_DIR/after-second-drop.png" -crop 60x30+335+52 +repage \
    -metric AE -compare -format '%[distortion]' info: >"$E2E_TMP/icon-diff" 2>/dev/null || true
assert_eq 0 "$(cat "$E2E_TMP/icon-diff")" "pixels that differ on the folder icon after the text drop"

# A damaged picture fails alone: the run goes on to the next files, a WebP
# among them.
printf 'not a JPEG at all' >"$E2E_TMP/broken.jpg"
convert -size 600x400 gradient:'#e01010'-'#1010e0' -quality 90 "$E2E_TMP/saved.webp"
drop_on 200 60 "$E2E_TMP/broken.jpg" "$E2E_TMP/saved.webp" "$src/IMG_1.jpg"
wait_until 20 run_done "$OUT_DIR/003" 2 || fail "the pictures after a damaged one were not made"
assert_eq "901 600 901 581 " "$(identify -format '%w %h ' "$OUT_DIR"/003/varbo_901_0000{1,2}.jpg)" "the WebP and the JPEG of the fourth drop"
top_bottom=$(convert "$OUT_DIR/003/varbo_901_00001.jpg" -format '%[fx:p{450,5}.r > 0.7 && p{450,5}.b < 0.3] %[fx:p{450,594}.b > 0.7 && p{450,594}.r < 0.3]' info:)
assert_eq "1 1" "$top_bottom" "the WebP red at the top, blue at the bottom"
shot after-damaged-drop

# A folder and a file past Windows' classic 260 characters, Cyrillic and emoji.
deep=$E2E_TMP
for i in $(seq 12); do deep="$deep/Фотографии с отпуска 😀 $i"; done
mkdir -p "$deep"
cp "$src/IMG_1.jpg" "$deep/Море 🌊 1.jpg"
cp "$src/IMG_2.jpg" "$deep/Море 🌊 2.jpg"
long="Z:${deep//\//\\}"  # winepath cuts long paths short; Z: is the Linux root
[ "${#long}" -ge 300 ] || fail "the long folder has only ${#long} characters"
drop_on 200 60 "$deep"
wait_until 30 has_jpegs "$OUT_DIR/004" 2 || fail "the long folder's pictures were not made"
drop_on 200 60 "$deep/Море 🌊 2.jpg"
wait_until 30 run_done "$OUT_DIR/005" 1 || fail "the long-named picture was not made"
assert_eq "901 581 901 563 901 563" "$(identify -format '%w %h ' "$OUT_DIR"/00[45]/*.jpg | sed 's/ $//')" \
    "the pictures from the long paths"

assert_eq "$before" "$(cd "$src" && ls -l --time-style=+%s && sha256sum *)" "the source folder after four drops"
assert_eq "" "$(cat "$MESSAGES")" "message boxes"

varbo_window_stop
assert_eq 60 "$(setting 2)" "Prots saved at exit"
assert_eq "$long" "$(setting 6)" "LastDir"
assert_eq "$long\\Море 🌊 2.jpg" "$(setting 7)" "LastFile: the last picture made"
assert_eq "$(unix_to_win "$OUT_DIR")\\005\\varbo_901_00001.jpg" "$(setting 8)" "LastVarbo"

# Varbo_Photo deleted while the window is open: the next drop makes it again
# and says so, and the drop after that is made.
: >"$MESSAGES"
varbo_window_start
rm -rf "$OUT_DIR"
drop_on 200 60 "$src/IMG_1.jpg"
wait_until 30 [ -s "$MESSAGES" ] || fail "no box for the deleted Varbo_Photo"
assert_eq $'Результат\tПапка Варбо создана на Рабочем столе.   \\nОбработка файлов пропущена.  ' "$(cat "$MESSAGES")" \
    "the box for the deleted Varbo_Photo"
[ -d "$OUT_DIR" ] || fail "Varbo_Photo was not made again"
one_output() { [ "$(find "$OUT_DIR" -name '*.jpg' | wc -l)" -eq 1 ]; }
drop_on 200 60 "$src/IMG_2.jpg"
wait_until 30 one_output || fail "the drop after the box made nothing: $(find "$OUT_DIR")"
varbo_window_stop
echo "ok"
