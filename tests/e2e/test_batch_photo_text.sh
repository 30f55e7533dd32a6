# Runs with the photo text on, in the real window: the text in the chosen
# colour on every picture, at the chosen place, as stripes, and in copy mode
# (size kept); the "Тест" button makes Test2.jpg with the text and steps aside
# until the pointer nears the bottom of the screen; a drop on the lower band
# replaces the test photo.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
source "$(dirname "$0")/batch_helpers.sh" || exit 1
reset_program_state

# Plain grey pictures: anything red on an output is the photo text.
mkdir -p "$E2E_TMP/grey"
for i in 1 2 3; do convert -size 600x400 xc:"rgb(128,128,128)" -quality 95 "$E2E_TMP/grey/g$i.jpg"; done

# Per mille of a region's pixels in the text's red (drawn at alpha 200 over grey: about 228, 28, 28).
red_share() {
    convert "$1" -crop "$2" +repage -fuzz 25% -fill black +opaque "rgb(255,0,0)" -fill white -opaque "rgb(255,0,0)" \
        -format '%[fx:int(mean*1000)]' info:
}

expect_red() {
    local share
    share=$(red_share "$1" "$2")
    [ "$share" -ge "${4:-2}" ] || fail "$3: only $share per mille red in $2 of $(basename "$1")"
}

expect_no_red() {
    local share
    share=$(red_share "$1" "$2")
    [ "$share" -eq 0 ] || fail "$3: $share per mille red in $2 of $(basename "$1")"
}

run_grey_pictures() {
    drop_on 200 60 "$E2E_TMP/grey/g1.jpg" "$E2E_TMP/grey/g2.jpg" "$E2E_TMP/grey/g3.jpg"
    wait_until 60 has_jpegs "$OUT_DIR/$1" 3 || fail "run folder $1 did not get 3 pictures"
    # The window ignores the mouse while the result shows (a second).
    sleep 1.5
}

# The first start writes the settings; then the text, its colour (red is 0x0000FF), font and place.
varbo_window_start
varbo_window_stop
set_setting 11 "DejaVu Serif"
set_setting 12 28
set_setting 13 1
set_setting 15 255
set_setting 16 1
set_setting 17 5
printf 'ТЕКСТ НА ФОТО' >"$DATA_DIR/varbo_text.txt"

varbo_window_start
run_grey_pictures 001
shot centre-run
for f in "$OUT_DIR"/001/*.jpg; do
    assert_eq "901x600" "$(identify -format '%wx%h' "$f")" "size of $(basename "$f")"
    expect_red "$f" 451x200+225+200 "text in the centre"
    expect_no_red "$f" 200x150+0+0 "top left corner"
    expect_no_red "$f" 200x150+701+450 "bottom right corner"
done
cp "$OUT_DIR/001/varbo_901_00001.jpg" "$SHOT_DIR/output-centre.jpg"

# The panel: the toggle, then "Полоски".
click_at 319 10
CLIENT_H=250
click_at 100 233
shot panel-stripes
move_to 200 60
run_grey_pictures 002
for f in "$OUT_DIR"/002/*.jpg; do
    expect_red "$f" 901x200+0+0 "stripes in the top third"
    expect_red "$f" 901x200+0+200 "stripes in the middle third"
    expect_red "$f" 901x200+0+400 "stripes in the bottom third"
done
cp "$OUT_DIR/002/varbo_901_00001.jpg" "$SHOT_DIR/output-stripes.jpg"

# "Копия": the pictures keep their size and only get the text; then the top left place.
click_at 175 232
click_at 23 201
move_to 200 60
run_grey_pictures 003
for f in "$OUT_DIR"/003/*.jpg; do
    assert_eq "600x400" "$(identify -format '%wx%h' "$f")" "copy mode keeps the size of $(basename "$f")"
    expect_red "$f" 300x200+0+0 "text in the top left quarter"
    expect_no_red "$f" 300x200+300+200 "bottom right quarter"
done
cp "$OUT_DIR/003/varbo_901_00001.jpg" "$SHOT_DIR/output-copy-top-left.jpg"

# "Тест": Test2.jpg with the text; two seconds later the window steps aside for the viewer.
rm -f "$DATA_DIR/Test2.jpg"
click_at 254 232
wait_until 20 [ -f "$DATA_DIR/Test2.jpg" ] || fail "no Test2.jpg"
wait_until 20 [ -s "$LAUNCHES" ] || fail "Test2.jpg was not opened"
assert_eq "WinExec	1	\"$(unix_to_win "$DATA_DIR/Test2.jpg")\"" "$(cat "$LAUNCHES")" "the start of the picture viewer"
cp "$DATA_DIR/Test2.jpg" "$SHOT_DIR/test2-top-left.jpg"
expect_red "$DATA_DIR/Test2.jpg" 300x150+0+0 "the test picture's text in the top left"
minimised() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$VARBO_WINDOW")"
    [ "$HEIGHT" -lt 100 ]
}
wait_until 10 minimised || fail "the window did not step aside after the test"
read -r screen_w screen_h < <(xdotool getdisplaygeometry)
xdotool mousemove $((screen_w / 2)) $((screen_h / 2))
sleep 1.5
minimised || fail "the window came back without the pointer near the bottom"
xdotool mousemove $((screen_w / 2)) $((screen_h - 10))
wait_until 5 eval '! minimised' || fail "the window did not come back with the pointer at the bottom edge"
assert_eq "" "$(cat "$MESSAGES")" "message boxes"
varbo_window_stop

# A drop on the lower band (y > 154) replaces the test photo; two files are one too many.
varbo_window_start
convert -size 500x500 xc:"rgb(30,60,200)" "$E2E_TMP/new test photo.jpg"
before=$(sha256sum "$E2E_TMP/new test photo.jpg")
move_to 200 157
drop_on 200 157 "$E2E_TMP/new test photo.jpg"
wait_until 10 cmp -s "$DATA_DIR/Test.jpg" "$E2E_TMP/new test photo.jpg" || fail "Test.jpg was not replaced"
shot test-photo-replaced
assert_eq "$before" "$(sha256sum "$E2E_TMP/new test photo.jpg")" "the dropped file"
[ -e "$OUT_DIR/004" ] && fail "a drop on the lower band started a run"
drop_on 200 157 "$E2E_TMP/grey/g1.jpg" "$E2E_TMP/grey/g2.jpg"
wait_until 10 [ -s "$MESSAGES" ] || fail "no box for two files on the lower band"
assert_eq $'Результат\tДля замены тестовой фотографии     \\nдостаточно одного файла...' "$(cat "$MESSAGES")" "the one-file box"
assert_same "$DATA_DIR/Test.jpg" "$E2E_TMP/new test photo.jpg"
varbo_window_stop
echo "ok"
