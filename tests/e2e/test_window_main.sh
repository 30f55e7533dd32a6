# The real window under Xvfb, driven with xdotool and checked on screenshots:
# centred 400 x 160 client area with the artwork, the values and the white
# drag hint; each zone's hint and lit cut-out (the cut-outs must match BG_UP
# exactly where the program draws them, one pixel left of where they are cut
# for the dials and the folder); zone borders; the size selector sliding and
# committing 880, which "1.[880] MaxPix" keeps for the next start; the
# settings panel opened by its mark and closed by "X" to a whole 400 x 160
# client area; a note that goes away by itself; the run folder's number on
# the folder icon, hidden under the lit folder.
#
# Screenshots of every state are kept in $VARBO_BUILD_DIR/e2e-window/screenshots.
set -euo pipefail
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init
reset_program_state

SHOTS=$VARBO_BUILD_DIR/e2e-window/screenshots
rm -rf "$SHOTS"
mkdir -p "$SHOTS"
ART=$E2E_TMP/art
mkdir -p "$ART"
convert "$VARBO_SOURCE_DIR/resources/bg1.bmp" "$ART/bg1.png"
convert "$VARBO_SOURCE_DIR/resources/bg_up.bmp" "$ART/bg_up.png"

WIN= X= Y= WIDTH= HEIGHT= BORDER= TOP=
VARBO_PID=

find_window() {
    WIN=$(xdotool search --name "Варбо Pro." 2>/dev/null | head -n 1)
    [ -n "$WIN" ]
}

read_geometry() {
    eval "$(xdotool getwindowgeometry --shell "$WIN")"
}

# Starts varbo.exe without arguments and waits for its window. The client
# area's place inside Wine's frame follows from the closed window: the frame is
# as wide on the left, the right and the bottom.
start_window() {
    E2E_WINE_TIMEOUT=600 run_varbo >/dev/null 2>&1 &
    VARBO_PID=$!
    wait_until 60 find_window || fail "no window titled \"Варбо Pro.\""
    sleep 1.5
    read_geometry
    BORDER=$(((WIDTH - 400) / 2))
    TOP=$((HEIGHT - 160 - BORDER))
    park
}

# Closes the window as the system does (WM_CLOSE) and waits for the program to end.
close_window() {
    close_varbo "$VARBO_PID"
    ! find_window || fail "the window is still there after WM_CLOSE"
}

# Mouse to a point of the client area (x, y), or away from the window.
point() {
    xdotool mousemove $((X + BORDER + $1)) $((Y + TOP + $2))
    sleep 0.35
}
# Wine notices that the mouse left a window by polling every 400 ms (the
# system's hover time), so leaving takes up to that long to show.
park() {
    xdotool mousemove 2 2
    sleep 0.9
}
click() {
    xdotool click 1
    sleep 0.4
}

# shot NAME: the window as it is now, kept as an artefact.
shot() {
    read_geometry
    import -window root "$E2E_TMP/root.png"
    convert "$E2E_TMP/root.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$SHOTS/$1.png"
}

# region SHOT X Y W H OUT: a rectangle of the client area cut from a shot.
region() {
    convert "$SHOTS/$1.png" -crop "$4x$5+$((BORDER + $2))+$((TOP + $3))" +repage "$E2E_TMP/$6.png"
}
# art IMAGE X Y W H OUT: a rectangle of the artwork.
art() {
    convert "$ART/$1.png" -crop "$4x$5+$2+$3" +repage "$E2E_TMP/$6.png"
}
# differing A B: how many pixels of two same-sized images differ.
differing() {
    compare -metric AE "$E2E_TMP/$1.png" "$E2E_TMP/$2.png" null: 2>&1 | cut -d' ' -f1
}

# expect_art SHOT WHAT  IMAGE ax ay  x y w h: the shot shows the artwork's
# rectangle (ax, ay, w, h) exactly at client (x, y).
expect_art() {
    region "$1" "$6" "$7" "$8" "$9" seen
    art "$3" "$4" "$5" "$8" "$9" want
    assert_eq 0 "$(differing seen want)" "$1: $2"
}

# ink SHOT: "white blue", pixels of the status rectangle drawn in white or in the selector blue.
ink() {
    region "$1" 20 110 370 50 status
    convert "$E2E_TMP/status.png" -depth 8 txt:- | awk -F'[(),]' 'NR > 1 {
        r = $3; g = $4; b = $5
        if (r > 170 && g > 170 && b > 170) w++
        if (b > 150 && b > r + 60 && b > g + 60) u++
    } END { printf "%d %d\n", w, u }'
}
expect_white() {
    read -r w u <<<"$(ink "$1")"
    [ "$w" -gt 300 ] && [ "$u" -eq 0 ] || fail "$1: status text should be white (white $w, blue $u)"
}
expect_blue() {
    read -r w u <<<"$(ink "$1")"
    [ "$u" -gt 300 ] && [ "$w" -lt 30 ] || fail "$1: status text should be blue (white $w, blue $u)"
}

# same_region A B X Y W H: two shots agree on a client rectangle.
same_region() {
    region "$1" "$3" "$4" "$5" "$6" a
    region "$2" "$3" "$4" "$5" "$6" b
    [ "$(differing a b)" = 0 ]
}
status_of() { same_region "$1" "$2" 20 110 370 50; }
size_dial_of() { same_region "$1" "$2" 118 25 80 40; }

# The five lit cut-outs, each as "BG_UP x, drawn x, y, w, h". The dials'
# value rectangles and the status line are left out where they overlap.
LIT_SIZE="120 119 4 80 21"
LIT_QUALITY="226 225 0 70 16"
LIT_FOLDER="332 331 8 60 50"
LIT_CORNER="2 2 88 18 22"
LIT_TOGGLE="304 304 2 30 16"

expect_lit() {  # SHOT NAME "cut drawn y w h"
    read -r cut drawn y w h <<<"$3"
    expect_art "$1" "$2 lit" bg_up "$cut" "$y" "$drawn" "$y" "$w" "$h"
}
expect_unlit() {
    read -r cut drawn y w h <<<"$3"
    expect_art "$1" "$2 not lit" bg1 "$drawn" "$y" "$drawn" "$y" "$w" "$h"
}
# expect_only_lit SHOT NAME...: the named cut-outs lit, all others plain.
expect_only_lit() {
    local s=$1 name
    shift
    for name in SIZE QUALITY FOLDER CORNER TOGGLE; do
        local region=LIT_$name
        if [[ " $* " == *" $name "* ]]; then expect_lit "$s" "$name" "${!region}"; else expect_unlit "$s" "$name" "${!region}"; fi
    done
}

# ---- first start: place, size, values, hint
start_window
SCREEN_W=$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1] }')
SCREEN_H=$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[2] }')
assert_eq $(((SCREEN_W - WIDTH) / 2)) "$X" "window x (centred)"
assert_eq $(((SCREEN_H - HEIGHT) / 2)) "$Y" "window y (centred)"
shot idle
# BG1 fills the client area from its top left corner down to its last row.
expect_art idle "last-result photo" bg1 0 0 0 0 110 80
expect_art idle "bottom left of the band" bg1 0 150 0 150 18 10
expect_art idle "bottom right of the band" bg1 385 150 385 150 14 10
expect_only_lit idle
expect_white idle
region idle 118 25 80 40 dial901
read -r w _ <<<"$(convert "$E2E_TMP/dial901.png" -depth 8 txt:- | awk -F'[(),]' 'NR > 1 && $3 > 170 && $4 > 170 && $5 > 170 { n++ } END { print n + 0, 0 }')"
[ "$w" -gt 40 ] || fail "no value in the size dial"
cp "$SHOTS/idle.png" "$E2E_TMP/idle-first.png"

# ---- each zone: hint and cut-out
point 150 50; shot hover-size-dial
expect_only_lit hover-size-dial SIZE
expect_blue hover-size-dial
park

point 260 30; shot hover-quality-dial
expect_only_lit hover-quality-dial QUALITY
expect_blue hover-quality-dial
park

point 350 30; shot hover-result-folder
expect_only_lit hover-result-folder FOLDER
expect_white hover-result-folder
! status_of idle hover-result-folder || fail "folder hint missing"
park

point 14 100; shot hover-reset-corner
expect_only_lit hover-reset-corner CORNER
expect_white hover-reset-corner
! status_of idle hover-reset-corner || fail "corner hint missing"
park

point 318 10; shot hover-panel-toggle
expect_only_lit hover-panel-toggle TOGGLE
! status_of idle hover-panel-toggle || fail "toggle hint missing"
park

point 100 130; shot hover-band
expect_only_lit hover-band
expect_white hover-band
! status_of idle hover-band || fail "band hint missing"
park

point 40 40; shot hover-last-result
expect_only_lit hover-last-result
! status_of idle hover-last-result || fail "last-result hint missing"
! status_of hover-band hover-last-result || fail "last-result and band hints are the same"
park

# Borders: the size dial's right edge is outside it and the quality dial
# starts at 226, so x 200 is nowhere; the band wins over the reset corner.
point 199 50; shot border-199-50
expect_only_lit border-199-50 SIZE
park
point 200 50; shot border-200-50
expect_only_lit border-200-50
status_of idle border-200-50 || fail "(200, 50) should show the drag hint"
park
point 20 112; shot border-20-112
expect_only_lit border-20-112
status_of hover-band border-20-112 || fail "(20, 112) should be the band"
park

# ---- selector: a candidate without a click goes away with the mouse
point 150 50; point 150 130; sleep 0.3; point 300 130
shot selector-candidate
expect_blue selector-candidate
! size_dial_of idle selector-candidate || fail "the dial should show the candidate"
point 300 100; park
shot after-dropped-candidate
size_dial_of idle after-dropped-candidate || fail "a dropped candidate must leave the dial"

# ---- selector: dial, straight down, a tick, x 200, click
point 150 50; point 150 130; sleep 0.3; point 200 130
shot selector-sliding
expect_blue selector-sliding
expect_only_lit selector-sliding SIZE
click
park
shot after-commit
! size_dial_of idle after-commit || fail "the committed size should show"
expect_white after-commit

# ---- folder icon before any run: the message
point 350 30; click; park
assert_eq $'Сообщение\tВарбо сначала должна поработать...   ' "$(cat "$MESSAGES")" "message of the folder icon"
: >"$MESSAGES"

# ---- a note shows and goes away by itself (4 ticks of 700 ms)
point 40 40
click
shot note
! status_of hover-last-result note || fail "no note after clicking the last-result corner"
sleep 3.5
shot note-gone
status_of hover-last-result note-gone || fail "the note should give way to the hint without a mouse move"
park

close_window
assert_eq $'1.[880] MaxPix\r' "$(head -n 1 "$DATA_DIR/varbo.vars")" "MaxPix saved at exit"
assert_eq $'2.[82] Prots\r' "$(sed -n 2p "$DATA_DIR/varbo.vars")" "Prots unchanged"

# ---- next start shows the saved size and the last run folder's number; the panel
mkdir -p "$OUT_DIR/001"
start_window
shot idle-880
size_dial_of after-commit idle-880 || fail "the next start should show 880"
region idle-880 340 30 44 26 number
art bg1 340 30 44 26 plain
[ "$(differing number plain)" -gt 30 ] || fail "the folder should carry the run folder's number"
point 350 30; shot hover-folder-with-number
expect_only_lit hover-folder-with-number FOLDER
park
closed_height=$HEIGHT
point 318 10
click
read_geometry
assert_eq $((closed_height + 90)) "$HEIGHT" "window height with the panel open (client 250)"
point 200 200
shot panel-open
! status_of idle-880 panel-open || fail "the photo-text field's hint should show"
expect_art panel-open "picture area above the open panel" bg1 0 0 0 0 110 80
point 378 232
click
read_geometry
assert_eq "$closed_height" "$HEIGHT" "window height after X (client 160)"
park
shot panel-closed-by-x
expect_art panel-closed-by-x "bottom rows after X" bg1 0 150 0 150 18 10
expect_white panel-closed-by-x

close_window
assert_eq "" "$(cat "$MESSAGES")" "message boxes"
echo "ok (screenshots in $SHOTS)"
