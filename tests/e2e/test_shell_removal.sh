# The corner mark of the main window: with MaxPix at 1200 a click restores
# 901 and 82 and keeps the photo text; the next click asks, and "No" changes
# nothing. "Yes" removes both verbs (the user's and an earlier version's
# machine-wide one) and the data folder's files, and the program ends without
# writing varbo.vars; Varbo_Photo and a subfolder of the data folder stay.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
source "$(dirname "$0")/shell_lib.sh" || exit 1
e2e_init
reset_program_state
delete_verbs

corner_x=14
corner_y=100
question=$'Вопрос\tБудут удалены служебные файлы Варбо      \\nи записи в реестре Windows.\\nФотографии останутся. \\n\\nХотите продолжить?'

start_window
wait_for_window
close_window
assert_file "$DATA_DIR/varbo.vars"
verb_key_exists jpegfile || fail "no verb after the first start"

sed -i 's/^1\.\[901\]/1.[1200]/; s/^2\.\[82\]/2.[95]/' "$DATA_DIR/varbo.vars"
printf 'Мой текст на фото' >"$DATA_DIR/varbo_text.txt"
wine_run reg add "HKLM\\Software\\Classes\\jpegfile\\Shell\\$OLD_VERB\\command" /ve /d 'C:\old\varbo.exe' /f >/dev/null
mkdir -p "$OUT_DIR/001" "$DATA_DIR/Mine"
cp "$VARBO_SOURCE_DIR/resources/test_photo.jpg" "$OUT_DIR/001/varbo_901_00001.jpg"
echo keep >"$DATA_DIR/Mine/keep.txt"

# Reset, then "No".
export VARBO_TEST_ANSWER=no
start_window
wait_for_window
click_client $corner_x $corner_y
sleep 1
assert_eq "" "$(cat "$MESSAGES")" "a reset asks nothing"
click_client $corner_x $corner_y
wait_until 20 grep -q . "$MESSAGES" || fail "no question after the reset"
assert_eq "$question" "$(cat "$MESSAGES")" "the question"
sleep 1
kill -0 "$WINDOW_PID" 2>/dev/null || fail "the program ended after No"
close_window
assert_eq $'1.[901] MaxPix\r' "$(sed -n 1p "$DATA_DIR/varbo.vars")" "size after the reset"
assert_eq $'2.[82] Prots\r' "$(sed -n 2p "$DATA_DIR/varbo.vars")" "quality after the reset"
assert_eq "Мой текст на фото" "$(cat "$DATA_DIR/varbo_text.txt")" "photo text after the reset"
verb_key_exists emffile || fail "No removed the verb"
assert_eq 'C:\old\varbo.exe' "$(verb_value jpegfile "$OLD_VERB" HKLM)" "the old verb after No"

# "Yes": the program ends by itself.
: >"$MESSAGES"
export VARBO_TEST_ANSWER=yes
start_window
wait_for_window
click_client $corner_x $corner_y
wait_until 30 bash -c "! kill -0 $WINDOW_PID 2>/dev/null" || fail "the program did not end after the removal"
status=0
wait "$WINDOW_PID" || status=$?
assert_eq 0 "$status" "exit code after the removal"
assert_eq "$question" "$(cat "$MESSAGES")" "the question"
for class in "${PICTURE_CLASSES[@]}"; do
    for verb in "$VERB" "$OLD_VERB"; do
        verb_key_exists "$class" "$verb" && fail "$class: $verb left for the user"
        verb_key_exists "$class" "$verb" HKLM && fail "$class: $verb left machine-wide"
    done
done
assert_eq "Mine" "$(ls -A "$DATA_DIR")" "what is left of the data folder"
assert_eq "keep" "$(cat "$DATA_DIR/Mine/keep.txt")" "the subfolder's file"
assert_same "$OUT_DIR/001/varbo_901_00001.jpg" "$VARBO_SOURCE_DIR/resources/test_photo.jpg" "the picture in Varbo_Photo"
echo "ok"
