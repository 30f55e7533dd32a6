# Helpers for the end-to-end tests: each tests/e2e/test_*.sh begins with
#   set -euo pipefail
#   source "$(dirname "$0")/lib.sh" || exit 1
# and calls e2e_init first. CTest passes VARBO_EXE, VARBO_SOURCE_DIR and
# VARBO_BUILD_DIR; run by hand, they default to build/win of this tree.
#
#   e2e_init                 temp dir E2E_TMP, own Wine prefix with the registry and
#                            program files of a new prefix, made for the tests' Windows
#                            user (VARBO_TEST_USER, see scripts/wine), a display; on exit
#                            every background job of the script is ended
#                            (E2E_FRESH_PREFIX=1 first: a new prefix in E2E_TMP, made for this test)
#   wine_run ARGS...         scripts/wine ARGS under the test prefix (stdin closed, time-limited)
#   run_varbo ARGS...        wine_run "$VARBO_EXE" ARGS
#   reset_program_state      removes C:\ProgramData\Orvenda and Desktop\Varbo_Photo
#   unix_to_win PATH         the Windows form of a Unix path
#   DATA_DIR DESKTOP_DIR OUT_DIR   Unix paths of the data folder, Desktop, Varbo_Photo
#   MESSAGES                 the file where the program logs its message boxes
#                            ("caption<TAB>text" lines); VARBO_TEST_ANSWER=yes|no answers them
#   LAUNCHES                 the file where it logs the programs it would start (none is started)
#   wait_until SECONDS CMD...   polls CMD every 0.2 s; fails after SECONDS
#   close_varbo PID          closes the window as a user would (WM_CLOSE), waits for PID to end
#                            and checks that it ended with 0
#   quant_signature JPEG     the first quantisation table's DC entry and its top row's last
#                            entry, which tell the quality the program wrote the picture at
#   make_from PATH           starts the program with the picture, as Explorer's entry does, checks
#                            that it made one and sets `out` to it (the next number in run folder 000)
#   colour_at JPEG X,Y       "r g b" of a pixel; near "R G B" "R G B" [TOLERANCE] compares two (12)
#   assert_eq EXPECTED ACTUAL WHAT, assert_file PATH, assert_same FILE1 FILE2, fail TEXT

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${VARBO_SOURCE_DIR:=$(cd "$E2E_LIB_DIR/../.." && pwd)}"
: "${VARBO_BUILD_DIR:=$VARBO_SOURCE_DIR/build/win}"
: "${VARBO_EXE:=$VARBO_BUILD_DIR/varbo.exe}"
export VARBO_SOURCE_DIR VARBO_BUILD_DIR VARBO_EXE

E2E_SERVER_PID=

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

assert_eq() {
    [ "$1" == "$2" ] || fail "${3:-value}: expected [${1:0:300}], got [${2:0:300}]"
}

assert_file() {
    [ -f "$1" ] || fail "missing file ${2:-$1}"
}

assert_same() {
    cmp -s "$1" "$2" || fail "${3:-$1} differs from $2"
}

# Quality estimates (ImageMagick's %Q) assume the standard tables, which
# the program does not use. Its table (mozjpeg's) has 16 and 85 in these
# places, scaled: quality 82 gives "6 31".
quant_signature() {
    /usr/bin/python3 - "$1" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
at = data.find(b"\xff\xdb")
if at < 0 or data[at + 4] != 0:
    print("no 8-bit table 0")
else:
    table = data[at + 5:at + 69]  # in zigzag order: the top row's last entry is the 29th
    print(table[0], table[28])
PY
}

made_count=0
out=
make_from() {
    local status=0
    run_varbo "$(unix_to_win "$1")" || status=$?
    [ $status -eq 1 ] || fail "exit code $status for $1"
    made_count=$((made_count + 1))
    out=$(printf '%s/000/varbo_901_%05d.jpg' "$OUT_DIR" $made_count)
    assert_file "$out"
}

colour_at() { /usr/bin/convert "$1" -format "%[fx:int(255*p{$2}.r)] %[fx:int(255*p{$2}.g)] %[fx:int(255*p{$2}.b)]" info:; }

near() {
    local got=($1) want=($2) tolerance=${3:-12} i
    for i in 0 1 2; do
        [ $((got[i] - want[i])) -le "$tolerance" ] && [ $((want[i] - got[i])) -le "$tolerance" ] || return 1
    done
}

wait_until() {
    local seconds=$1; shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.2
    done
}

# A usable X display: the caller's, or an Xvfb of our own (windows and fonts
# need one even when nothing is looked at).
e2e_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
    local fifo=$E2E_TMP/displayfd
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    local n
    read -r -t 20 n <"$fifo" || fail "Xvfb did not start"
    export DISPLAY=:$n
}

e2e_cleanup() {
    local status=$?
    set +e
    # Also ends any varbo.exe a failed test left running; only our own prefix.
    [ -n "$E2E_SERVER_PID" ] && wineserver -k >/dev/null 2>&1
    # Then every helper the script left in the background (clipboard owners,
    # probes, waiting starts) and our Xvfb, so none outlives a failure.
    local pids
    pids=$(jobs -p)
    if [ -n "$pids" ]; then
        kill $pids 2>/dev/null
        wait $pids 2>/dev/null
    fi
    rm -rf "$E2E_TMP"
    exit $status
}

wine_run() {
    timeout "${E2E_WINE_TIMEOUT:-120}" "$VARBO_SOURCE_DIR/scripts/wine" "$@" </dev/null
}

run_varbo() {
    wine_run "$VARBO_EXE" "$@"
}

close_varbo() {
    local pid=$1 i
    wine_run cmd /c "taskkill /im varbo.exe" >/dev/null 2>&1 || true
    for i in $(seq 150); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    kill -0 "$pid" 2>/dev/null && fail "varbo.exe did not end after WM_CLOSE"
    local status=0
    wait "$pid" || status=$?
    assert_eq 0 "$status" "exit code of the window after WM_CLOSE"
}

unix_to_win() {
    "$VARBO_SOURCE_DIR/scripts/wine" --path "$1"
}

reset_program_state() {
    rm -rf "$WINEPREFIX/drive_c/ProgramData/Orvenda" "$OUT_DIR"
}

# The shared e2e prefix keeps its registry as it was when made (in .varbo-clean),
# and each script starts from that: nothing one script or run writes reaches the
# next. A prefix made before it kept that copy is made again, once.
e2e_fresh_registry() {
    local clean=$VARBO_TEST_WINEPREFIX/.varbo-clean
    if [ ! -f "$clean/user.reg" ]; then
        mkdir -p "$clean.new"
        cp "$VARBO_TEST_WINEPREFIX"/*.reg "$clean.new/"
        mv "$clean.new" "$clean"
    fi
    cp "$clean"/*.reg "$VARBO_TEST_WINEPREFIX/"
}

e2e_init() {
    [[ $- == *e* ]] || fail "the script must start with set -euo pipefail"
    [ -f "$VARBO_EXE" ] || fail "no program at $VARBO_EXE"
    E2E_TMP=$(mktemp -d /tmp/varbo-e2e.XXXXXX)
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    e2e_display

    # A prefix of our own, so the Windows unit tests' prefix is never touched
    # (VARBO_E2E_WINEPREFIX names another one), or a new one like a machine
    # that has never seen the program.
    if [ -n "${E2E_FRESH_PREFIX:-}" ]; then
        export VARBO_TEST_WINEPREFIX=$E2E_TMP/wine
    else
        export VARBO_TEST_WINEPREFIX=${VARBO_E2E_WINEPREFIX:-$VARBO_BUILD_DIR/wine-e2e}
        if [ -f "$VARBO_TEST_WINEPREFIX/.varbo-ready" ] && [ ! -d "$VARBO_TEST_WINEPREFIX/.varbo-clean" ]; then
            WINEPREFIX=$VARBO_TEST_WINEPREFIX wineserver -k >/dev/null 2>&1 || true
            rm -rf "$VARBO_TEST_WINEPREFIX"
        fi
    fi
    # Creates the prefix on first use, and again when it was made for another user.
    eval "$("$VARBO_SOURCE_DIR/scripts/wine" --env)"
    wineserver -k >/dev/null 2>&1 || true            # nothing left from an earlier run
    wineserver -w >/dev/null 2>&1 || true            # and its registry written out
    [ -n "${E2E_FRESH_PREFIX:-}" ] || e2e_fresh_registry
    # A server of our own with its own stdio: otherwise CTest waits for its linger.
    setsid wineserver -p </dev/null >/dev/null 2>&1 &
    E2E_SERVER_PID=$!
    wine_run cmd /c exit >/dev/null 2>&1
    # Wine's desktop process, started with stdio of its own and kept for the
    # script: otherwise each program that makes a window starts it anew, and
    # a command that reads a program's output waits for it to end too.
    setsid "$VARBO_SOURCE_DIR/scripts/wine" explorer.exe /desktop </dev/null >/dev/null 2>&1 &

    DATA_DIR=$WINEPREFIX/drive_c/ProgramData/Orvenda/Varbo
    # The test user's own Desktop, and the one the program finds.
    DESKTOP_DIR=$WINEPREFIX/drive_c/users/$USER/Desktop
    [ -d "$DESKTOP_DIR" ] || fail "no Desktop for the Windows user \"$USER\" in $WINEPREFIX"
    assert_eq "$(realpath "$DESKTOP_DIR")" "$("$VARBO_SOURCE_DIR/scripts/wine" --desktop)" "the Desktop in the registry"
    OUT_DIR=$DESKTOP_DIR/Varbo_Photo
    reset_program_state

    MESSAGES=$E2E_TMP/messages.txt
    : >"$MESSAGES"
    VARBO_TEST_MESSAGES=$(unix_to_win "$MESSAGES")
    export VARBO_TEST_MESSAGES
    export VARBO_TEST_ANSWER=${VARBO_TEST_ANSWER:-no}
    LAUNCHES=$E2E_TMP/launches.txt
    : >"$LAUNCHES"
    VARBO_TEST_LAUNCHES=$(unix_to_win "$LAUNCHES")
    export VARBO_TEST_LAUNCHES
}
