# Colour profiles and WebP on the command line. Photos tagged Adobe RGB (the
# program's test photo, as JPEG, PNG and TIFF) and Display P3 (as JPEG, HEIC
# and AVIF) come out as sRGB
# as close to a colour-managed reference as an sRGB photo comes to its plain
# one; a WebP is read by content, an animation gives its first frame and a
# transparent part comes out white.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
reset_program_state

python=/usr/bin/python3
photos=$VARBO_SOURCE_DIR/tests/e2e/colour_photos.py
$python "$photos" make "$VARBO_SOURCE_DIR/resources/test_photo.jpg" "$E2E_TMP"
$python - "$E2E_TMP" <<'PY'
import io, sys
from PIL import Image
d = sys.argv[1]
photo = Image.open(d + "/adobe.jpg")
icc = photo.info["icc_profile"]
photo.save(d + "/adobe.png", icc_profile=icc)
photo.save(d + "/adobe.tif", icc_profile=icc)
PY

delta() { $python "$photos" score "$1" "$2"; }  # "mean p95"
mean_of() { echo "${1%% *}"; }

declare -A score
for f in adobe_srgb adobe adobe.png adobe.tif p3_srgb p3 p3.heic p3.avif; do
    src=$E2E_TMP/$f
    [[ $f == *.* ]] || src=$src.jpg
    make_from "$src"
    reference=$src
    [[ $f == p3.* ]] && reference=$E2E_TMP/p3.jpg  # the same pixels and profile, in a file Pillow reads
    score[$f]=$(delta "$reference" "$out")
    echo "colour: $f mean/p95 dE2000 ${score[$f]}"
done
within() {  # tagged baseline: the tagged photo's mean is at most the baseline's + 0.5
    awk -v a="$(mean_of "${score[$1]}")" -v b="$(mean_of "${score[$2]}")" 'BEGIN { exit !(a <= b + 0.5) }' ||
        fail "$1: mean dE2000 $(mean_of "${score[$1]}") against ${score[$2]%% *} for the sRGB photo"
}
within adobe adobe_srgb
within adobe.png adobe_srgb
within adobe.tif adobe_srgb
within p3 p3_srgb
within p3.heic p3_srgb
within p3.avif p3_srgb

# WebP: a 3000 x 2000 lossy photo named .jpg; a lossless one with its right half
# transparent; an animation whose first frame is red and second blue.
convert "$E2E_TMP/p3_srgb.jpg" -resize '3000x2000!' -quality 85 "webp:$E2E_TMP/big_webp.jpg"
$python - "$E2E_TMP" <<'PY'
import sys
from PIL import Image
d = sys.argv[1]
half = Image.new("RGBA", (600, 400), (224, 16, 16, 255))
half.paste((0, 200, 0, 0), (300, 0, 600, 400))
half.save(d + "/half clear.webp", lossless=True)
frames = [Image.new("RGB", (400, 300), c) for c in ((220, 20, 20), (20, 20, 220))]
frames[0].save(d + "/anim.webp", save_all=True, append_images=frames[1:], duration=200, loop=0, lossless=True)
PY

make_from "$E2E_TMP/big_webp.jpg"
assert_eq "901x600" "$(identify -format '%wx%h' "$out")" "size from a 3000 x 2000 WebP"
make_from "$E2E_TMP/half clear.webp"
assert_eq "901x600" "$(identify -format '%wx%h' "$out")" "size from a 600 x 400 WebP"
near "$(colour_at "$out" 200,300)" "224 16 16" || fail "the opaque half: $(colour_at "$out" 200,300)"
near "$(colour_at "$out" 700,300)" "255 255 255" || fail "the transparent half: $(colour_at "$out" 700,300)"
make_from "$E2E_TMP/anim.webp"
near "$(colour_at "$out" 450,300)" "220 20 20" || fail "the animation's first frame: $(colour_at "$out" 450,300)"
assert_eq "" "$(cat "$MESSAGES")" "message boxes"
echo "colour profiles and WebP: ok"
