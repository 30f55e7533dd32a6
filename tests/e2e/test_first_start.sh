# A first start with a picture path on a clean machine makes the data folder,
# the settings files with their defaults, both test photos and the output
# folder, then exits without a window. A lost Test.jpg comes back at the next
# start; one the user replaced is kept.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
reset_program_state

photo=$VARBO_SOURCE_DIR/resources/test_photo.jpg
cp "$photo" "$E2E_TMP/pic.jpg"
# start_with_picture N: ends with 1 and makes the picture, N-th in run folder 000.
start_with_picture() {
    local status=0
    run_varbo "$(unix_to_win "$E2E_TMP/pic.jpg")" || status=$?
    assert_eq 1 "$status" "exit code of start $1 with a picture"
    assert_file "$OUT_DIR/000/varbo_901_0000$1.jpg"
}
start_with_picture 1

assert_file "$DATA_DIR/varbo.vars"
assert_eq 20 "$(grep -c $'\r$' "$DATA_DIR/varbo.vars")" "CR LF lines in varbo.vars"
assert_eq $'1.[901] MaxPix\r' "$(head -n 1 "$DATA_DIR/varbo.vars")" "first line of varbo.vars"
assert_eq $'2.[82] Prots\r' "$(sed -n 2p "$DATA_DIR/varbo.vars")" "second line of varbo.vars"
assert_file "$DATA_DIR/varbo_text.txt"
assert_eq "Текст на изображении. Щелкните по нему, чтобы изменить!" "$(cat "$DATA_DIR/varbo_text.txt")" "varbo_text.txt"
assert_same "$DATA_DIR/Test0.jpg" "$photo"
assert_same "$DATA_DIR/Test.jpg" "$photo"
[ -d "$OUT_DIR" ] || fail "no Varbo_Photo on the Desktop"
assert_eq "" "$(cat "$MESSAGES")" "message boxes"

# Test.jpg deleted by hand is written again; a replaced one stays as it is.
rm "$DATA_DIR/Test.jpg"
start_with_picture 2
assert_same "$DATA_DIR/Test.jpg" "$photo"
printf 'not the test photo' >"$DATA_DIR/Test.jpg"
start_with_picture 3
[ "$(head -c 100 "$DATA_DIR/Test.jpg")" == "not the test photo" ] || fail "a replaced Test.jpg was written over"
assert_same "$DATA_DIR/Test0.jpg" "$photo"
echo "ok"
