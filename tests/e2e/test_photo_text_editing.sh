# The photo-text flows of the settings panel in the real window: the editor
# (typed, saved, cancelled), the paste from the clipboard (empty, then a
# 600-letter text cut to 500 and accepted), the restore on right click, and
# the colour and font dialogs, which open from their controls and cancel
# without a change. What was chosen is checked in the settings files at exit.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
source "$(dirname "$0")/batch_helpers.sh" || exit 1
reset_program_state

open_panel_with_text() {
    click_at 319 10
    CLIENT_H=250
    [ "$(setting 16)" = 1 ] || click_at 223 171  # "Показывать текст"
}

# Clicks into the editor's image buttons: 13,59 (save) and 83,59 (close), in
# dialog units of the 146 x 77 dialog (Wine draws the same frame as on the main window).
editor_click() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name '^Редактор фото-текста\.$' | head -1)")"
    local x=$((X + 3 + $1 * (WIDTH - 6) / 146 + 15))
    local y=$((Y + 22 + 59 * (HEIGHT - 25) / 77 + 10))
    xdotool mousemove "$x" "$y" click 1
}

# The X clipboard holds TEXT (UTF-8) while the returned process runs.
hold_clipboard() {
    cat >"$E2E_TMP/clipboard.py" <<'PY'
import sys
from Xlib import X, Xatom, display
from Xlib.protocol import event
text = sys.argv[1].encode("utf-8")
d = display.Display()
w = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
clip, utf8, targets = (d.intern_atom(n) for n in ("CLIPBOARD", "UTF8_STRING", "TARGETS"))
w.set_selection_owner(clip, X.CurrentTime)
d.sync()
while True:
    e = d.next_event()
    if e.type == X.SelectionRequest:
        prop = e.property or e.target
        if e.target == targets:
            e.requestor.change_property(prop, Xatom.ATOM, 32, [targets, utf8])
        elif e.target == utf8:
            e.requestor.change_property(prop, utf8, 8, text)
        else:
            prop = X.NONE
        e.requestor.send_event(event.SelectionNotify(time=e.time, requestor=e.requestor, selection=e.selection,
                                                     target=e.target, property=prop))
        d.flush()
    elif e.type == X.SelectionClear:
        break
PY
    /usr/bin/python3 "$E2E_TMP/clipboard.py" "$1" &
    CLIPBOARD_PID=$!
}

# The Cyrillic letters typed below get keys of their own before the program
# starts: otherwise xdotool lends a spare key to each letter and takes it back,
# at times before Wine has read it, and letters go missing.
/usr/bin/python3 - <<'PY'
from Xlib import XK, display
XK.load_keysym_group("cyrillic")
d = display.Display()
low, high = d.display.info.min_keycode, d.display.info.max_keycode
rows = d.get_keyboard_mapping(low, high - low + 1)
free = [low + i for i, row in enumerate(rows) if low + i > 8 and not any(row)]
letters = [XK.string_to_keysym(n) for n in ("Cyrillic_te", "Cyrillic_ie", "Cyrillic_ka", "Cyrillic_es")]
assert len(free) >= len(letters) and all(letters)
for keycode, keysym in zip(free, letters):
    d.change_keyboard_mapping(keycode, [(keysym,) * len(rows[0])])
d.sync()
PY

# The editor: everything is selected when it opens, so typing replaces the text.
varbo_window_start
open_panel_with_text
click_at 228 199
wait_until 10 window_exists "Редактор фото-текста." || fail "the editor did not open"
sleep 0.3
xdotool type --delay 150 "Editor: текст 1"
sleep 0.3
# shellcheck disable=SC2046
import -window root -crop 420x220+$(xdotool getwindowgeometry --shell "$(xdotool search --name '^Редактор фото-текста\.$')" |
    sed -n 's/^[XY]=//p' | paste -sd+) +repage "$SHOT_DIR/editor-typed.png"
editor_click 13
wait_until 5 eval '! window_exists "Редактор фото-текста."' || fail "the save image did not close the editor"
shot editor-saved
# Opened again and left with the close image: the text stays.
click_at 228 199
wait_until 10 window_exists "Редактор фото-текста." || fail "the editor did not open again"
sleep 0.3
xdotool type --delay 40 "xyz"
editor_click 83
wait_until 5 eval '! window_exists "Редактор фото-текста."' || fail "the close image did not close the editor"
varbo_window_stop
assert_eq "Editor: текст 1" "$(cat "$DATA_DIR/varbo_text.txt")" "photo text after the editor"

# The paste: first with nothing on the clipboard, then with 600 letters.
export VARBO_TEST_ANSWER=yes
varbo_window_start
open_panel_with_text
click_at 323 232
wait_until 5 [ -s "$MESSAGES" ] || fail "no box for an empty clipboard"
assert_eq $'Результат\tБуфер обмена пуст...   \\nКопируйте нужный текст   \\nи повторите попытку.   \\n------------\\nЧтобы вернуть первоначальную запись,   \\nщелкните по тексту правой кнопкой мыши.   \\n' \
    "$(cat "$MESSAGES")" "the empty-clipboard box"
: >"$MESSAGES"
letters=$(printf 'ж%.0s' $(seq 600))
hold_clipboard "$letters"
# Wine takes in a new clipboard owner after a while, longer on a loaded
# machine; until then a paste finds the clipboard empty and says so.
paste_asks() {
    : >"$MESSAGES"
    click_at 323 232
    wait_until 5 [ -s "$MESSAGES" ] && ! grep -q 'Буфер обмена пуст' "$MESSAGES"
}
wait_until 60 paste_asks || fail "no question for a clipboard text: $(cat "$MESSAGES")"
kill $CLIPBOARD_PID 2>/dev/null || true
first500=${letters:0:500}
assert_eq $'Вопрос\tТекст из буфера обмена:   \\n------------------\\n\\n'"$first500"$'\\n------------------\\n\\nХотите поместить его на фотографию?' \
    "$(cat "$MESSAGES")" "the paste question"
sleep 1
shot pasted
varbo_window_stop
export VARBO_TEST_ANSWER=no
assert_eq "$first500" "$(cat "$DATA_DIR/varbo_text.txt")" "photo text after the paste"

# The restore: right click on the text field. The dialogs of colour and font
# open from their controls and Esc cancels them.
printf 'not the first test photo' >"$DATA_DIR/Test.jpg"
: >"$MESSAGES"
varbo_window_start
open_panel_with_text
click_at 228 199 3
shot restored
assert_same "$DATA_DIR/Test.jpg" "$DATA_DIR/Test0.jpg"
colour_before=$(setting 15)
click_at 375 211
wait_until 10 window_exists Color || fail "the colour dialog did not open"
import -window root "$SHOT_DIR/colour-dialog.png"
xdotool key Escape
wait_until 5 eval '! window_exists Color' || fail "Esc did not close the colour dialog"
click_at 365 180
wait_until 10 window_exists Font || fail "the font dialog did not open"
xdotool key Escape
wait_until 5 eval '! window_exists Font' || fail "Esc did not close the font dialog"
varbo_window_stop
assert_eq "Текст на изображении. Щелкните по нему, чтобы изменить!" "$(cat "$DATA_DIR/varbo_text.txt")" "photo text after the restore"
assert_eq "$colour_before" "$(setting 15)" "Color after a cancelled colour dialog"
assert_eq "Arial" "$(setting 11)" "FontName after a cancelled font dialog"
assert_eq "" "$(cat "$MESSAGES")" "message boxes"
echo "ok"
