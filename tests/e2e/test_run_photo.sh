# make run's script (scripts/run-photo) in the test prefix: it finds the
# picture the program wrote on the Windows user's own Desktop, whatever the
# user is named, and says the quality the program used (80 for a start with a
# picture), not ImageMagick's estimate for the standard tables.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
reset_program_state

out=$OUT_DIR/000/varbo_901_00001.jpg
report=$("$VARBO_SOURCE_DIR/scripts/run-photo" 2>&1) || fail "run-photo failed: $report"
assert_file "$out"
# 80 is raised to 80.375, so the table is scaled to 200 - 2 x 80.375 = 39.25, 39 %.
expected="varbo.exe \"$(unix_to_win "$VARBO_SOURCE_DIR/resources/test_photo.jpg")\"
wrote   $(unix_to_win "$DESKTOP_DIR")\\Varbo_Photo\\000\\varbo_901_00001.jpg
        $(realpath "$out")
size    901 x 601 pixels
dpi     300 x 300
quality 80 (from the luma table: mozjpeg's at 39 %)
bytes   $(stat -c %s "$out")"
assert_eq "$expected" "$report" "what run-photo says"
assert_eq "C:\\users\\$USER\\Desktop" "$(unix_to_win "$DESKTOP_DIR")" "the Windows user's Desktop"

# A picture of one's own, the second in run folder 000.
convert -size 1200x1600 gradient:'#d0e0ff'-'#203040' -quality 95 "$E2E_TMP/own picture.jpg"
report=$("$VARBO_SOURCE_DIR/scripts/run-photo" "$E2E_TMP/own picture.jpg" 2>&1) || fail "run-photo failed: $report"
assert_eq "size    675 x 901 pixels" "$(grep '^size' <<<"$report")" "the size of one's own picture"
assert_eq "$(realpath "$OUT_DIR/000/varbo_901_00002.jpg")" "$(sed -n 3p <<<"$report" | sed 's/^ *//')" "where it went"
assert_eq "quality 80 (from the luma table: mozjpeg's at 39 %)" "$(grep '^quality' <<<"$report")" "its quality"
assert_eq "" "$(cat "$MESSAGES")" "message boxes"
echo "ok"
