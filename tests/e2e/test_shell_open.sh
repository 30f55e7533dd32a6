# The window's clicks that open folders and the last picture reach the launch
# seam (VARBO_TEST_LAUNCHES logs instead of starting anything) with every
# path quoted, and a picture goes through its registered program, then the
# text editor. Every start is answered as failed, so each step shows.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
source "$(dirname "$0")/shell_lib.sh" || exit 1
e2e_init
reset_program_state

launches=$LAUNCHES
export VARBO_TEST_LAUNCH_ANSWER=fail
photo_class="VarboE2E.Picture"
cleanup_class() {
    wine_run reg delete 'HKCR\.vbe2e' /f >/dev/null 2>&1 || true
    wine_run reg delete "HKCR\\$photo_class" /f >/dev/null 2>&1 || true
}
cleanup_class
wine_run reg add 'HKCR\.vbe2e' /ve /d "$photo_class" /f >/dev/null
wine_run reg add "HKCR\\$photo_class\\shell\\open\\Command" /ve /t REG_EXPAND_SZ /d '"%ProgramFiles%\Viewer\view.exe" "%1"' /f >/dev/null

# A first start makes the settings file; then a run folder, a last picture in
# a folder with a blank, and a source folder with a comma.
start_window
wait_for_window
close_window
mkdir -p "$OUT_DIR/001" "$E2E_TMP/Anna Maria"
cp "$VARBO_SOURCE_DIR/resources/test_photo.jpg" "$E2E_TMP/Anna Maria/Фото 1.vbe2e"
last=$(unix_to_win "$E2E_TMP/Anna Maria/Фото 1.vbe2e")
source_dir='C:\Фото, лето 2024'
LAST="$last" SOURCE="$source_dir" perl -i -pe 's/^6\.\[[^\]]*\]/6.[$ENV{SOURCE}]/; s/^8\.\[[^\]]*\]/8.[$ENV{LAST}]/' "$DATA_DIR/varbo.vars"
output=$(unix_to_win "$OUT_DIR")

start_window
wait_for_window
lines() { wc -l <"$launches"; }
click_client 362 33      # the result folder: the run folder
wait_until 10 test "$(lines)" -ge 1 || fail "no start for the run folder"
click_client 362 33 3    # right click: the source folder
wait_until 10 test "$(lines)" -ge 2 || fail "no start for the source folder"
click_client 200 130     # the lower band: the output folder
wait_until 10 test "$(lines)" -ge 3 || fail "no start for the output folder"
click_client 40 40       # the last picture
wait_until 10 test "$(lines)" -ge 6 || fail "not every step for the last picture: $(cat "$launches")"
close_window
cleanup_class

expected=$(printf '%s\n' \
    "WinExec	10	Explorer.exe \"$output\\001\"" \
    "WinExec	10	Explorer.exe \"$source_dir\"" \
    "WinExec	10	Explorer.exe \"$output\"" \
    "WinExec	1	\"$last\"" \
    "WinExec	10	\"C:\\Program Files\\Viewer\\view.exe\"\\t\"$last\"" \
    "WinExec	10	notepad.exe\\t\"$last\"")
assert_eq "$expected" "$(cat "$launches")" "the starts"
echo "ok"
