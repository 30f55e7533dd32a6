# The download: the zip holds the program, the guide and the licences, and the
# program runs from the unpacked folder on a machine that has never seen it.
set -euo pipefail
E2E_FRESH_PREFIX=1
source "$(dirname "$0")/lib.sh" || exit 1
e2e_init

: "${VARBO_DIST_ZIP:?the zip that make dist writes}"
zip=$VARBO_DIST_ZIP
assert_file "$zip"
version=$(basename "$zip" | sed -n 's/^varbo-\(.*\)-win64\.zip$/\1/p')
assert_eq "LICENSES.txt README.txt varbo.exe" "$(unzip -Z1 "$zip" | sort | xargs)" "files in the zip"

user_dir=$(dirname "$DESKTOP_DIR")
dir=$user_dir/Downloads/varbo-$version-win64
mkdir -p "$dir"
unzip -q "$zip" -d "$dir"
assert_same "$dir/varbo.exe" "$VARBO_EXE" "varbo.exe in the zip"
assert_eq "$version" "$(strings -el "$dir/varbo.exe" | grep -A1 -x ProductVersion | tail -n 1)" "version resource"

# Texts for Notepad: UTF-8 with a byte-order mark, every line ending in CR LF.
for f in README.txt LICENSES.txt; do
    assert_eq "efbbbf" "$(head -c 3 "$dir/$f" | od -An -tx1 | tr -d ' \n')" "byte-order mark of $f"
    assert_eq 0 "$(tail -c +4 "$dir/$f" | LC_ALL=C grep -c -v $'\r$' || true)" "lines of $f without CR LF"
    iconv -f UTF-8 -t UTF-8 "$dir/$f" >/dev/null || fail "$f is not UTF-8"
done
grep -q "based in part on the work of the Independent JPEG Group" "$dir/README.txt" ||
    fail "the guide does not name the Independent JPEG Group"
grep -q "GNU LGPL" "$dir/README.txt" || fail "the guide does not say what the LGPL lets the user do"
for text in "Thomas G. Lane, Guido Vollbeding" "Modified (3-clause) BSD License" "Pierre Ossman" \
    "GNU GENERAL PUBLIC LICENSE" "GCC RUNTIME LIBRARY EXCEPTION" "MinGW-w64 runtime licensing" "Lockless Inc." \
    "The library \`libheif\`" "The library \`libde265\`" "GNU LESSER GENERAL PUBLIC LICENSE" "VideoLAN and dav1d authors"; do
    grep -q -F "$text" "$dir/LICENSES.txt" || fail "LICENSES.txt lacks \"$text\""
done

# Command-line mode from the unpacked folder, as the Explorer entry starts it.
convert=/usr/bin/convert
$convert -size 3000x4000 gradient:'#d0e0ff'-'#203040' -quality 90 "$E2E_TMP/photo.jpg"
status=0
wine_run "$(unix_to_win "$dir/varbo.exe")" "$(unix_to_win "$E2E_TMP/photo.jpg")" || status=$?
assert_eq 1 "$status" "exit code"
out=$OUT_DIR/000/varbo_901_00001.jpg
assert_file "$out"
assert_eq "JPEG 675x901" "$(/usr/bin/identify -format '%m %wx%h' "$out")" "the picture made"
assert_file "$DATA_DIR/varbo.vars"
echo "dist zip: ok"
