# Command-line mode, as Explorer's context-menu entry starts the program: one
# picture in, one JPEG out in the last run folder ("000" before any run).
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
reset_program_state

convert=/usr/bin/convert
identify=/usr/bin/identify
run_picture() { local status=0; run_varbo "$(unix_to_win "$1")" || status=$?; echo $status; }
jpegs() { find "$OUT_DIR" -name '*.jpg' | wc -l; }

# A 4000 x 3000 photo with a red block in its top-left corner.
$convert -size 4000x3000 xc:'#2040a0' -fill '#e01010' -draw 'rectangle 0,0 999,749' -quality 90 "$E2E_TMP/wide.jpg"

assert_eq 1 "$(run_picture "$E2E_TMP/wide.jpg")" "exit code of a good picture"
first=$OUT_DIR/000/varbo_901_00001.jpg
assert_file "$first"
assert_eq "901x675 300x300" "$($identify -format '%wx%h %[fx:resolution.x]x%[fx:resolution.y]' "$first")" "size and dpi"
# A start with a picture encodes at quality 80: raised to 80.375, the table
# scaled to 39 %: DC 16 -> 6, 85 -> 33.
assert_eq "6 33" "$(quant_signature "$first")" "the quality, 80"
assert_eq "PixelsPerInch" "$($identify -format '%U' "$first")" "resolution unit"
assert_eq 1 "$(run_picture "$E2E_TMP/wide.jpg")" "second start"
assert_file "$OUT_DIR/000/varbo_901_00002.jpg"

# EXIF orientation 6: stored lying on its side, comes out upright and 675 x 901.
cp "$E2E_TMP/wide.jpg" "$E2E_TMP/phone.jpg"
exiftool -q -overwrite_original -n -Orientation=6 "$E2E_TMP/phone.jpg"
assert_eq 1 "$(run_picture "$E2E_TMP/phone.jpg")" "exit code with EXIF orientation"
upright=$OUT_DIR/000/varbo_901_00003.jpg
assert_eq "675x901" "$($identify -format '%wx%h' "$upright")" "upright size"
# The stored top-left corner is now at the top right.
red_right=$($convert "$upright" -format '%[fx:p{640,40}.r > 0.6 && p{640,40}.b < 0.4]' info:)
red_left=$($convert "$upright" -format '%[fx:p{40,40}.r > 0.6]' info:)
assert_eq "1 0" "$red_right $red_left" "red corner at the top right only"
assert_eq "" "$(exiftool -s3 -Orientation "$upright")" "no EXIF orientation written"

# Any character in a name.
name="$E2E_TMP/Фото é ü 😀 [2024].jpg"
$convert -size 300x200 gradient:red-blue "$name"
assert_eq 1 "$(run_picture "$name")" "exit code for a Unicode name"
assert_eq "901x600" "$($identify -format '%wx%h' "$OUT_DIR/000/varbo_901_00004.jpg")" "small pictures are enlarged"

# Damaged and lying files: exit code 0, nothing written, and a box that names
# the file and the kinds of picture the program reads.
before=$(jpegs)
head -c 20000 "$E2E_TMP/wide.jpg" >"$E2E_TMP/truncated.jpg"
echo "just text" >"$E2E_TMP/text.jpg"
: >"$E2E_TMP/empty.jpg"
for f in truncated.jpg text.jpg empty.jpg "no such file.jpg"; do
    : >"$MESSAGES"
    assert_eq 0 "$(run_picture "$E2E_TMP/$f")" "exit code for $f"
    box=$(cat "$MESSAGES")
    [[ $box == Результат$'\t'"Варбо не смог прочитать этот файл:"*"$f\\n"*"JPEG, HEIC, HEIF, AVIF"* ]] ||
        fail "the box for $f: $box"
done
assert_eq "$before" "$(jpegs)" "pictures after damaged input"
: >"$MESSAGES"

# Kept names (line 20 of varbo.vars).
sed -i 's/^20\.\[0\]/20.[1]/' "$DATA_DIR/varbo.vars"
assert_eq 1 "$(run_picture "$E2E_TMP/wide.jpg")" "exit code with kept names"
assert_file "$OUT_DIR/000/v901_wide.jpg"
sed -i 's/^20\.\[1\]/20.[0]/' "$DATA_DIR/varbo.vars"

# A start with a picture goes into the last run folder, which may hold far
# more than a hundred pictures: it takes the next number, and nothing blames
# the Desktop.
for i in $(seq -f '%05g' 5 120); do : >"$OUT_DIR/000/varbo_901_$i.jpg"; done
assert_eq 1 "$(run_picture "$E2E_TMP/wide.jpg")" "exit code in a run folder of 120 pictures"
assert_file "$OUT_DIR/000/varbo_901_00121.jpg"
assert_eq "" "$(cat "$MESSAGES")" "message boxes"

# Once a run folder exists, command-line starts write into the last one.
mkdir "$OUT_DIR/001"
assert_eq 1 "$(run_picture "$E2E_TMP/wide.jpg")" "exit code with a run folder"
assert_file "$OUT_DIR/001/varbo_901_00001.jpg"

# A path of 300 characters and more, Cyrillic and emoji, past Windows' classic 260.
deep=$E2E_TMP
for i in $(seq 12); do deep="$deep/Фотографии с отпуска 😀 $i"; done
mkdir -p "$deep"
cp "$E2E_TMP/wide.jpg" "$deep/Море 🌊.jpg"
# winepath cuts long paths short; Z: is the Linux root.
long="Z:${deep//\//\\}\\Море 🌊.jpg"
[ "${#long}" -ge 300 ] || fail "the long path has only ${#long} characters"
status=0
run_varbo "$long" || status=$?
assert_eq 1 "$status" "exit code for a path of ${#long} characters"
assert_eq "901x675" "$($identify -format '%wx%h' "$OUT_DIR/001/varbo_901_00002.jpg")" "the picture from the long path"

# GIF and TIFF through the program's own decoders: the colours where they were drawn.
$convert -size 640x480 xc:white -fill '#20a040' -draw 'rectangle 0,0 319,479' "$E2E_TMP/half green.gif"
$convert -size 640x480 xc:'#2040c0' -fill '#e01010' -draw 'rectangle 0,0 639,239' -compress lzw "$E2E_TMP/red over blue.tif"
assert_eq 1 "$(run_picture "$E2E_TMP/half green.gif")" "exit code for a GIF"
assert_eq 1 "$(run_picture "$E2E_TMP/red over blue.tif")" "exit code for a TIFF"
colours() { $convert "$1" -format "%[fx:p{$2}.r > 0.6] %[fx:p{$2}.g > 0.5] %[fx:p{$2}.b > 0.6] " info:; }
assert_eq "901x675 0 1 0 1 1 1 " "$($identify -format '%wx%h ' "$OUT_DIR/001/varbo_901_00003.jpg")$(colours "$OUT_DIR/001/varbo_901_00003.jpg" 100,300)$(colours "$OUT_DIR/001/varbo_901_00003.jpg" 800,300)" \
    "the GIF: size, green on the left, white on the right"
assert_eq "901x675 1 0 0 0 0 1 " "$($identify -format '%wx%h ' "$OUT_DIR/001/varbo_901_00004.jpg")$(colours "$OUT_DIR/001/varbo_901_00004.jpg" 450,100)$(colours "$OUT_DIR/001/varbo_901_00004.jpg" 450,600)" \
    "the TIFF: size, red above, blue below"

# The size kept in the settings (as the window left it) holds for Explorer's starts too.
sed -i 's/^1\.\[901\]/1.[640]/' "$DATA_DIR/varbo.vars"
assert_eq 1 "$(run_picture "$E2E_TMP/wide.jpg")" "exit code at size 640"
assert_eq "640x480" "$($identify -format '%wx%h' "$OUT_DIR/001/varbo_640_00001.jpg")" "a start at size 640"
sed -i 's/^1\.\[640\]/1.[901]/' "$DATA_DIR/varbo.vars"

# A full disk: the start ends with a box that names the folder and the
# reason, and leaves no partial file behind.
if [ "$(id -u)" -eq 0 ]; then
    full=$OUT_DIR/002
    mkdir "$full"
    mount -t tmpfs -o size=64k tmpfs "$full"
    trap 'status=$?; umount "$full" 2>/dev/null || true; (exit $status); e2e_cleanup' EXIT
    head -c 60000 /dev/urandom >"$full/filler" 2>/dev/null || true
    : >"$MESSAGES"
    assert_eq 0 "$(run_picture "$E2E_TMP/wide.jpg")" "exit code on a full disk"
    assert_eq "Результат	Не удалось записать файл в папку $(unix_to_win "$full"): недостаточно места на диске." \
        "$(cat "$MESSAGES")" "the full-disk message"
    assert_eq "filler" "$(ls -A "$full")" "files in the full run folder"
    umount "$full"
    trap e2e_cleanup EXIT
else
    echo "full disk: skipped, mounting a small file system needs root"
fi
echo "command line: ok"
