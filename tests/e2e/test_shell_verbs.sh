# The Explorer verb "• Varbo": a start without a picture writes it under the
# user's seven picture classes (never machine-wide) with the quoted program
# and "%1"; a value that already holds that command is left alone; a start
# with a picture writes nothing; the program started from another folder
# rewrites all seven.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
source "$(dirname "$0")/shell_lib.sh" || exit 1
e2e_init
reset_program_state
delete_verbs

photo=$E2E_TMP/pic.jpg
cp "$VARBO_SOURCE_DIR/resources/test_photo.jpg" "$photo"
command=$(expected_command "$VARBO_EXE")
# A start with a picture makes it (into run folder 000, numbered N) and ends with 1.
start_with_picture() {
    local status=0
    run_varbo "$(unix_to_win "$photo")" || status=$?
    assert_eq 1 "$status" "exit code of a start with a picture"
    assert_file "$OUT_DIR/000/varbo_901_0000$1.jpg"
}

# A start with a picture on a clean machine: nothing.
start_with_picture 1
for class in "${PICTURE_CLASSES[@]}"; do
    verb_key_exists "$class" && fail "a start with a picture wrote the verb under $class"
done

# First start without arguments.
start_window
wait_until 60 verb_key_exists emffile || fail "no verb after a start without a picture"
wait_for_window
close_window
for class in "${PICTURE_CLASSES[@]}"; do
    assert_eq "$command" "$(verb_value "$class")" "command of $class"
    verb_key_exists "$class" "$VERB" HKLM && fail "$class: written machine-wide"
done

# A value that holds the command already stays as it is.
held="cmd /c $command"
wine_run reg add "HKCU\\Software\\Classes\\jpegfile\\Shell\\$VERB\\command" /ve /d "$held" /f >/dev/null
start_window
wait_for_window
close_window
assert_eq "$held" "$(verb_value jpegfile)" "a value holding the command"
assert_eq "$command" "$(verb_value pngfile)" "pngfile after the second start"

# A start with a picture leaves even a stale value alone.
wine_run reg add "HKCU\\Software\\Classes\\giffile\\Shell\\$VERB\\command" /ve /d 'C:\old\varbo.exe' /f >/dev/null
start_with_picture 2
assert_eq 'C:\old\varbo.exe' "$(verb_value giffile)" "giffile after a start with a picture"

# The program moved to a folder with a blank in its name: all seven follow it.
moved="$E2E_TMP/Program Files, Varbo/varbo.exe"
mkdir -p "$(dirname "$moved")"
cp "$VARBO_EXE" "$moved"
start_window "$moved"
wait_for_window
close_window
for class in "${PICTURE_CLASSES[@]}"; do
    assert_eq "$(expected_command "$moved")" "$(verb_value "$class")" "$class after a start from another folder"
done

delete_verbs
echo "ok"
