# Photo metadata: camera and phone pictures of several makes, their EXIF written
# with exiftool, through the real varbo.exe (command-line mode). Each output keeps
# its source's date taken, camera, exposure and copyright, and loses where it was
# taken, serial numbers, the thumbnail, comments, XMP and IPTC.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
reset_program_state

convert=/usr/bin/convert
identify=/usr/bin/identify
photo=$VARBO_SOURCE_DIR/resources/test_photo.jpg
number=0
# Runs the program on a source (a made picture exits with 1); `out` is the output's path.
compress() {
    local status=0
    run_varbo "$(unix_to_win "$1")" >/dev/null || status=$?
    assert_eq 1 "$status" "exit code for $(basename "$1")"
    number=$((number + 1))
    out=$(printf '%s/000/varbo_901_%05d.jpg' "$OUT_DIR" "$number")
    assert_file "$out"
}
# The tags kept (when the source has them), as exiftool names them, in IFD0 and the Exif IFD.
KEPT=(-DateTimeOriginal -CreateDate -ModifyDate -OffsetTime -OffsetTimeOriginal -OffsetTimeDigitized
      -SubSecTime -SubSecTimeOriginal -SubSecTimeDigitized -Make -Model -LensMake -LensModel
      -ExposureTime -FNumber -ISO -ExposureProgram -ExposureCompensation -MeteringMode -Flash
      -FocalLength -FocalLengthIn35mmFormat -WhiteBalance -Artist -Copyright -ImageDescription)
kept() { exiftool -a -G1 -s -n "${KEPT[@]}" "$1" | grep -E '^\[(IFD0|ExifIFD)\]' | sort; }
# Never passed on: where, which camera body and lens, who; comments, thumbnail, other blocks.
dropped() {
    exiftool -a -G1 -s -GPS:all -SerialNumber -LensSerialNumber -OwnerName -ImageUniqueID -UserComment \
        -MakerNotes:all -IFD1:all -ThumbnailImage -XMP:all -IPTC:all -MPF:all -Photoshop:all "$1"
}
# The Exif APP1 right after JFIF's APP0 (at 20): its size in bytes, or "none".
app1_size() {
    /usr/bin/python3 - "$1" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
print(int.from_bytes(data[22:24], "big") if data[20:22] == b"\xff\xe1" else "none")
PY
}
# The common checks of an output made from a source with EXIF.
check_output() {
    local src=$1 out=$2 what=$3
    local want
    want=$(kept "$src")
    [ -n "$want" ] || fail "$what: the source has no kept tags (exiftool did not write them)"
    assert_eq "$want" "$(kept "$out")" "$what: kept tags"
    assert_eq "" "$(dropped "$out")" "$what: tags never passed on"
    assert_eq 1 "$(exiftool -s3 -n -Orientation "$out")" "$what: orientation"
    assert_eq "$($identify -format '%w %h' "$out")" "$(exiftool -s3 -n -ExifImageWidth "$out") $(exiftool -s3 -n -ExifImageHeight "$out")" \
        "$what: EXIF pixel size"
    assert_eq "300 300 2 1" "$(exiftool -s3 -n -IFD0:XResolution -IFD0:YResolution -IFD0:ResolutionUnit -ColorSpace "$out" | tr '\n' ' ' | sed 's/ $//')" \
        "$what: 300 dpi, sRGB"
    assert_eq OK "$(exiftool -validate -s3 "$out")" "$what: exiftool -validate"
    local bytes
    bytes=$(app1_size "$out")
    [ "$bytes" != none ] && [ "$bytes" -lt 1024 ] || fail "$what: EXIF of $bytes bytes, not a few hundred"
}
# Everything a phone or camera writes that must not leave the machine.
PRIVATE=(-GPSLatitude=55.7558 -GPSLatitudeRef=N -GPSLongitude=37.6173 -GPSLongitudeRef=E -GPSAltitude=150
         -SerialNumber=0560018150 -LensSerialNumber=0000c3f1 -OwnerName=Anna -ImageUniqueID=0123456789abcdef0123456789abcdef
         '-UserComment=at home' '-XMP-dc:Creator=Anna' '-IPTC:By-line=Anna')

# A picture with a red block in its stored top-left corner, and a thumbnail.
$convert -size 1200x900 xc:'#2040a0' -fill '#e01010' -draw 'rectangle 0,0 299,224' -quality 90 "$E2E_TMP/corner.jpg"
$convert -size 160x120 xc:'#2040a0' "$E2E_TMP/thumb.jpg"

# A Canon camera: Intel byte order, turned right, every kept tag, a thumbnail and all that is private.
cp "$E2E_TMP/corner.jpg" "$E2E_TMP/canon.jpg"
exiftool -q -overwrite_original -ExifByteOrder=II -Orientation#=6 -Make=Canon '-Model=Canon EOS 5D Mark IV' \
    '-DateTimeOriginal=2024:07:13 18:30:05' '-CreateDate=2024:07:13 18:30:05' '-ModifyDate=2024:07:14 09:00:00' \
    -OffsetTime=+03:00 -OffsetTimeOriginal=+03:00 -OffsetTimeDigitized=+03:00 -SubSecTime=11 -SubSecTimeOriginal=42 \
    -SubSecTimeDigitized=42 -ExposureTime=1/250 -FNumber=5.6 -ISO=400 -ExposureProgram#=3 -ExposureCompensation=-2/3 \
    -MeteringMode#=5 -ExifIFD:Flash#=16 -FocalLength=50 -FocalLengthIn35mmFormat=50 -WhiteBalance#=0 -LensMake=Canon \
    '-LensModel=EF24-105mm f/4L IS USM' '-Artist=Anna Petrova' '-Copyright=(c) 2024 Anna Petrova' \
    '-ImageDescription=Lake Seliger' "${PRIVATE[@]}" "-ThumbnailImage<=$E2E_TMP/thumb.jpg" "$E2E_TMP/canon.jpg"
[ -n "$(exiftool -s3 -IFD1:ThumbnailLength "$E2E_TMP/canon.jpg")" ] || fail "exiftool wrote no thumbnail"
assert_eq "${#KEPT[@]}" "$(kept "$E2E_TMP/canon.jpg" | wc -l)" "Canon source: every kept tag in IFD0 or the Exif IFD"
compress "$E2E_TMP/canon.jpg"
check_output "$E2E_TMP/canon.jpg" "$out" "Canon"
assert_eq "675x901" "$($identify -format '%wx%h' "$out")" "Canon: upright size"
assert_eq "1 0" "$($convert "$out" -format '%[fx:p{640,40}.r > 0.6 && p{640,40}.b < 0.4] %[fx:p{40,40}.r > 0.6]' info:)" \
    "Canon: turned right, the red corner at the top right"
assert_eq "2024:07:13 18:30:05 Canon 1/250 (c) 2024 Anna Petrova" \
    "$(exiftool -s3 -DateTimeOriginal -Make -ExposureTime -Copyright "$out" | tr '\n' ' ' | sed 's/ $//')" "Canon: as a user reads it"

# A Nikon camera: Motorola byte order, turned left.
cp "$E2E_TMP/corner.jpg" "$E2E_TMP/nikon.jpg"
exiftool -q -overwrite_original -ExifByteOrder=MM -Orientation#=8 '-Make=NIKON CORPORATION' '-Model=NIKON D850' \
    '-DateTimeOriginal=2023:12:31 23:59:59' -ExposureTime=1/60 -FNumber=2.8 -ISO=3200 -FocalLength=85 \
    '-Copyright=Ivan' "${PRIVATE[@]}" "$E2E_TMP/nikon.jpg"
compress "$E2E_TMP/nikon.jpg"
check_output "$E2E_TMP/nikon.jpg" "$out" "Nikon"
assert_eq "1 0" "$($convert "$out" -format '%[fx:p{40,860}.r > 0.6 && p{40,860}.b < 0.4] %[fx:p{40,40}.r > 0.6]' info:)" \
    "Nikon: turned left, the red corner at the bottom left"

# Phones: an iPhone's PNG (eXIf) and a Pixel's WebP (its EXIF chunk).
$convert "$photo" "$E2E_TMP/iphone.png"
exiftool -q -q -overwrite_original -Make=Apple '-Model=iPhone 13' '-DateTimeOriginal=2024:05:01 12:00:00' \
    -OffsetTimeOriginal=+02:00 -SubSecTimeOriginal=123 -ExposureTime=1/120 -FNumber=1.6 -ISO=50 \
    -LensMake=Apple '-LensModel=iPhone 13 back dual wide camera 5.1mm f/1.6' "${PRIVATE[@]}" "$E2E_TMP/iphone.png"
compress "$E2E_TMP/iphone.png"
check_output "$E2E_TMP/iphone.png" "$out" "iPhone PNG"
$convert "$photo" -quality 80 "$E2E_TMP/pixel.webp"
exiftool -q -overwrite_original -Make=Google '-Model=Pixel 7' '-DateTimeOriginal=2024:02:29 08:15:00' \
    -ExposureTime=1/500 -FNumber=1.9 -ISO=45 "${PRIVATE[@]}" "$E2E_TMP/pixel.webp"
compress "$E2E_TMP/pixel.webp"
check_output "$E2E_TMP/pixel.webp" "$out" "Pixel WebP"

# A scanner's or camera's TIFF: the file's own IFD0.
$convert "$photo" -compress none "$E2E_TMP/fuji.tif"
exiftool -q -overwrite_original -Make=FUJIFILM -Model=X-T4 '-DateTimeOriginal=2022:10:10 10:10:10' \
    '-Artist=Petr' "${PRIVATE[@]}" "$E2E_TMP/fuji.tif"
compress "$E2E_TMP/fuji.tif"
check_output "$E2E_TMP/fuji.tif" "$out" "Fujifilm TIFF"

# A picture without EXIF comes out without, as before.
compress "$photo"
assert_eq none "$(app1_size "$out")" "no EXIF in, none out"

# Damaged EXIF: IFD0's offset points far past the end: the picture is made, stored as it
# lies (the orientation cannot be read either), without EXIF. The Exif IFD pointer
# turned back to IFD0 (a loop): the picture is made, with what IFD0 holds.
/usr/bin/python3 - "$E2E_TMP/canon.jpg" "$E2E_TMP" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
tiff = data.index(b"Exif\0\0") + 6
bad = bytearray(data)
bad[tiff + 4:tiff + 8] = struct.pack("<I", 0xFFFFFF00)
open(sys.argv[2] + "/damaged-ifd0.jpg", "wb").write(bad)
ifd0 = tiff + struct.unpack("<I", data[tiff + 4:tiff + 8])[0]
for i in range(struct.unpack("<H", data[ifd0:ifd0 + 2])[0]):
    entry = ifd0 + 2 + 12 * i
    if struct.unpack("<H", data[entry:entry + 2])[0] == 0x8769:
        data[entry + 8:entry + 12] = struct.pack("<I", 8)
open(sys.argv[2] + "/looping.jpg", "wb").write(data)
PY
compress "$E2E_TMP/damaged-ifd0.jpg"
assert_eq "901x675" "$($identify -format '%wx%h' "$out")" "damaged IFD0: the picture as stored"
assert_eq none "$(app1_size "$out")" "damaged IFD0: no EXIF"
compress "$E2E_TMP/looping.jpg"
assert_eq "675x901" "$($identify -format '%wx%h' "$out")" "looping Exif IFD: upright"
assert_eq "Canon 2024:07:14 09:00:00 " "$(exiftool -s3 -Make -ModifyDate -DateTimeOriginal "$out" | tr '\n' ' ')" \
    "looping Exif IFD: IFD0's tags only"
assert_eq OK "$(exiftool -validate -s3 "$out")" "looping Exif IFD: exiftool -validate"
assert_eq "" "$(cat "$MESSAGES")" "message boxes"
echo "PASS test_photo_metadata"
