#!/usr/bin/env bash
# Black-box checks of daubwell-cli: outputs, exit codes and messages.
set -u
: "${CLI:?set CLI to the daubwell-cli binary}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passes=0

check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then
    passes=$((passes + 1))
  else
    echo "FAIL $1: expected [$2] got [$3]"
    failures=$((failures + 1))
  fi
}

status() { "$@" >/dev/null 2>&1; echo $?; }

check "help exits 0" 0 "$(status "$CLI" --help)"
check "no command is bad usage" 2 "$(status "$CLI")"
check "unknown command is bad usage" 2 "$(status "$CLI" paint-it-black)"
check "unknown option is bad usage" 2 "$(status "$CLI" new 4 4 "$work/x.dwp" --colour red)"
check "non-number is bad usage" 2 "$(status "$CLI" new four 4 "$work/x.dwp")"

check "new 1x1" 0 "$(status "$CLI" new 1 1 "$work/one.dwp")"
check "1x1 file size" 114 "$(stat -c %s "$work/one.dwp")"
check "info" "1 1 2" "$("$CLI" info "$work/one.dwp")"
check "size warning exits 1" 1 "$(status "$CLI" new 5001 10 "$work/big.dwp")"
check "size warning text" \
  "Warning: The document can be no less than 1x1 pixels and no greater than 5000x5000 pixels!" \
  "$("$CLI" new 0 10 "$work/zero.dwp" 2>&1)"
check "nothing written after the warning" no "$([ -e "$work/zero.dwp" ] && echo yes || echo no)"

check "new with --print and no save" "0 0 255 255 255 0 0 0" "$("$CLI" new 3 2 - --print 0,0)"
check "print outside fails" 1 "$(status "$CLI" new 3 2 - --print 3,0)"

"$CLI" demo "$work/demo.dwp" >/dev/null
check "demo info" "640 420 2" "$("$CLI" info "$work/demo.dwp")"
check "inspect prints one line per pixel" 2 "$("$CLI" inspect "$work/demo.dwp" 0,0 639,419 | wc -l)"
check "resize" 0 "$(status "$CLI" resize "$work/demo.dwp" 320 210 "$work/small.dwp")"
check "resized info" "320 210 2" "$("$CLI" info "$work/small.dwp")"
check "resize keeps the corner record" "$("$CLI" inspect "$work/demo.dwp" 0,0 | cut -d' ' -f3-)" \
  "$("$CLI" resize "$work/demo.dwp" 320 210 - --print 0,0 | cut -d' ' -f3-)"

check "render bmp" 0 "$(status "$CLI" render "$work/demo.dwp" "$work/demo.bmp")"
check "bmp size" $((54 + 640 * 3 * 420)) "$(stat -c %s "$work/demo.bmp")"
check "render png" 0 "$(status "$CLI" render "$work/demo.dwp" "$work/demo.png" --lighting off --quality low)"
check "png signature" "89504e47" "$(head -c 4 "$work/demo.png" | od -An -tx1 | tr -d ' \n')"
check "render needs a picture extension" 2 "$(status "$CLI" render "$work/demo.dwp" "$work/demo.gif")"
check "bad switch" 2 "$(status "$CLI" render "$work/demo.dwp" "$work/d.bmp" --lighting maybe)"

check "missing file" 1 "$(status "$CLI" info "$work/none.dwp")"
printf 'not a painting at all, just text' > "$work/text.dwp"
check "not a painting" 1 "$(status "$CLI" inspect "$work/text.dwp" 0,0)"
check "not a painting message" "Error: The file you selected is either corrupt " \
  "$("$CLI" inspect "$work/text.dwp" 0,0 2>&1 | head -n 1)"
head -c 200 "$work/demo.dwp" > "$work/cut.dwp"
check "truncated painting" 1 "$(status "$CLI" render "$work/cut.dwp" "$work/cut.png")"
check "no picture from a truncated painting" no "$([ -e "$work/cut.png" ] && echo yes || echo no)"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
