# Helpers of the shell end-to-end tests (sourced after lib.sh and e2e_init).
#   verb_value CLASS [VERB] [HIVE]   the verb command's default value, or "<none>"
#   verb_key_exists CLASS [VERB] [HIVE]
#   verb_multiselect CLASS           the verb key's MultiSelectModel, or "<none>"
#   delete_verbs                     both verbs everywhere they may be, user and machine
#   start_window                     varbo.exe without arguments in the background; WINDOW_PID
#   wait_for_window, close_window
#   expected_command EXE             the command the verb must hold for that program file
#   click_client X Y [BUTTON]        a click in the main window's client area

PICTURE_CLASSES=(Paint.Picture jpegfile TIFImage.Document giffile pngfile wmffile emffile)
# Where a start writes the verb for the user: the classes, the image type, and
# the metafile extensions, which Wine does not perceive as images.
VERB_OWNERS=("${PICTURE_CLASSES[@]}" 'SystemFileAssociations\image' 'SystemFileAssociations\.wmf' 'SystemFileAssociations\.emf')
VERB="• Varbo"
OLD_VERB="Варбо"

# `reg query` prints through the console's code page, which turns the bullet
# and Cyrillic into other characters; `reg export` writes UTF-16 exactly.
verb_value() {
    local class=$1 verb=${2:-$VERB} hive=${3:-HKCU}
    local out=$E2E_TMP/verb.reg
    rm -f "$out"
    if ! wine_run reg export "$hive\\Software\\Classes\\$class\\Shell\\$verb\\command" "$(unix_to_win "$out")" /y >/dev/null 2>&1; then
        echo "<none>"
        return
    fi
    iconv -f UTF-16 -t UTF-8 "$out" | tr -d '\r' | sed -n 's/^@="\(.*\)"$/\1/p' | perl -pe 's/\\(["\\])/$1/g'
}

verb_multiselect() {
    local class=$1 out=$E2E_TMP/verbkey.reg
    rm -f "$out"
    if ! wine_run reg export "HKCU\\Software\\Classes\\$class\\Shell\\$VERB" "$(unix_to_win "$out")" /y >/dev/null 2>&1; then
        echo "<none>"
        return
    fi
    iconv -f UTF-16 -t UTF-8 "$out" | tr -d '\r' | sed -n 's/^"MultiSelectModel"="\(.*\)"$/\1/p'
}

verb_key_exists() {
    local class=$1 verb=${2:-$VERB} hive=${3:-HKCU}
    wine_run reg query "$hive\\Software\\Classes\\$class\\Shell\\$verb" >/dev/null 2>&1
}

delete_verbs() {
    local class verb
    for verb in "$VERB" "$OLD_VERB"; do
        for class in "${VERB_OWNERS[@]}"; do
            wine_run reg delete "HKCU\\Software\\Classes\\$class\\Shell\\$verb" /f >/dev/null 2>&1 || true
        done
        for class in "${PICTURE_CLASSES[@]}"; do
            wine_run reg delete "HKLM\\Software\\Classes\\$class\\Shell\\$verb" /f >/dev/null 2>&1 || true
        done
    done
}

expected_command() {
    printf '"%s" "%%1"' "$(unix_to_win "$1")"
}

start_window() {
    local exe=${1:-$VARBO_EXE}
    "$VARBO_SOURCE_DIR/scripts/wine" "$exe" </dev/null >/dev/null 2>&1 &
    WINDOW_PID=$!
}

window_shown() {
    xdotool search --name "Варбо Pro." >/dev/null 2>&1
}

# The window appears at (0, 0) and is then centred: wait until it stands still.
window_geometry() { xdotool search --name "Варбо Pro." getwindowgeometry 2>/dev/null | tr -d '\n'; }
window_settled() {
    local before
    before=$(window_geometry)
    sleep 0.3
    [ -n "$before" ] && [ "$before" = "$(window_geometry)" ]
}
wait_for_window() {
    wait_until 60 window_shown || fail "the main window did not appear"
    wait_until 20 window_settled || fail "the main window did not settle"
}

# WM_CLOSE, as a user closing the window; the program saves and ends.
close_window() {
    close_varbo "$WINDOW_PID"
}

# A click (button 1 left, 3 right) at client coordinates of the main window (panel closed). With
# Wine drawing the frame itself, the X window is the whole window: a border
# on three sides and the caption above the 400 x 160 client area.
click_client() {
    local x=$1 y=$2 button=${3:-1} w X Y WIDTH HEIGHT SCREEN WINDOW
    w=$(xdotool search --name "Варбо Pro." | head -n 1)
    [ -n "$w" ] || fail "no window to click"
    eval "$(xdotool getwindowgeometry --shell "$w")"
    local border=$(((WIDTH - 400) / 2))
    local top=$((HEIGHT - 160 - border))
    xdotool mousemove $((X + border + x + 1)) $((Y + top + y))
    sleep 0.3
    xdotool mousemove $((X + border + x)) $((Y + top + y))
    sleep 0.3
    xdotool click "$button"
}
