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

# Painting: Tube Paint on a blank canvas, depth 10, strength 1, hardness 100.
"$CLI" new 40 30 "$work/blank.dwp"
check "tube paint raises the centre by 5" "20 15 16 32 48 255 5" \
  "$("$CLI" paint "$work/blank.dwp" - --tool 0 --color 102030 --size 6 --depth 10 --strength 1 --hardness 100 \
     --shading 255 --style 0 --stroke 20,15 --print 20,15 | cut -d' ' -f1-5,7-)"
check "holding still keeps depositing" "20 15 16 32 48 255 15" \
  "$("$CLI" paint "$work/blank.dwp" - --tool 0 --color 102030 --size 6 --depth 10 --hardness 100 \
     --stroke 20,15:3 --print 20,15 | cut -d' ' -f1-5,7-)"
check "seeded strokes repeat exactly" \
  "$("$CLI" paint "$work/blank.dwp" - --tool 5 --color ff0000 --size 8 --seed 9 --stroke 10,10:4 20,12:4 --print 12,10)" \
  "$("$CLI" paint "$work/blank.dwp" - --tool 5 --color ff0000 --size 8 --seed 9 --stroke 10,10:4 20,12:4 --print 12,10)"
check "fade size dynamics" 0 "$(status "$CLI" paint "$work/blank.dwp" "$work/faded.dwp" --tool 1 --size 10 \
     --dynamics fadeSize=1,fadeSizeLength=5 --offsets 1,2,3,4 --stroke 5,5 35,25:2)"
check "unknown dynamics key" 2 "$(status "$CLI" paint "$work/blank.dwp" - --tool 0 --dynamics wobble=1 --stroke 1,1)"
check "paint needs a stroke" 2 "$(status "$CLI" paint "$work/blank.dwp" - --tool 0)"
check "tool out of range" 2 "$(status "$CLI" paint "$work/blank.dwp" - --tool 19 --stroke 1,1)"
check "a tool by its name paints as by its number" \
  "$("$CLI" paint "$work/blank.dwp" - --tool 17 --color 304050 --size 6 --depth 3 --seed 4 --stroke 20,15:2 24,15 --print 22,15)" \
  "$("$CLI" paint "$work/blank.dwp" - --tool knife --color 304050 --size 6 --depth 3 --seed 4 --stroke 20,15:2 24,15 --print 22,15)"
check "an unknown tool name" 2 "$(status "$CLI" paint "$work/blank.dwp" - --tool trowel --stroke 1,1)"
check "the help lists the tools" "  17	knife	Knife" "$("$CLI" --help | grep -P '^  17\t')"
check "the help lists the effects" yes "$("$CLI" --help | grep -q ' defenestrate ' && echo yes || echo no)"

# Effects.
check "solarize" "0 0 177 88 0" \
  "$("$CLI" effect clear "$work/blank.dwp" "$work/c.dwp" --color 643200 >/dev/null && "$CLI" effect solarize "$work/c.dwp" - --print 0,0 | cut -d' ' -f1-5)"
check "clear takes the colour" "3 3 1 2 3 0 0 0" "$("$CLI" effect clear "$work/blank.dwp" - --color 010203 --print 3,3)"
check "unknown effect" 2 "$(status "$CLI" effect wobble "$work/blank.dwp" -)"
check "flatten" 0 "$(status "$CLI" effect flatten "$work/demo.dwp" "$work/flat.dwp")"

# Import: grey becomes gloss.
"$CLI" render "$work/blank.dwp" "$work/white.bmp"
check "import" "0 0 0 0 0 255 255 1" "$("$CLI" import "$work/white.bmp" - --print 0,0)"
check "import of a missing picture" 1 "$(status "$CLI" import "$work/none.bmp" "$work/x.dwp")"

check "missing file" 1 "$(status "$CLI" info "$work/none.dwp")"
printf 'not a painting at all, just text' > "$work/text.dwp"
check "not a painting" 1 "$(status "$CLI" inspect "$work/text.dwp" 0,0)"
check "not a painting message" "Error: The file you selected is either corrupt " \
  "$("$CLI" inspect "$work/text.dwp" 0,0 2>&1 | head -n 1)"
head -c 200 "$work/demo.dwp" > "$work/cut.dwp"
check "truncated painting" 1 "$(status "$CLI" render "$work/cut.dwp" "$work/cut.png")"
check "no picture from a truncated painting" no "$([ -e "$work/cut.png" ] && echo yes || echo no)"

check "export-height" 0 "$(status "$CLI" export-height "$work/demo.dwp" "$work/height.png")"
check "height map is 16-bit grey" "PNG image data, 640 x 420, 16-bit grayscale, non-interlaced" \
  "$(file -b "$work/height.png" 2>/dev/null || echo 'no file tool')"
check "height map carries its range" yes "$(grep -q 'Height range' "$work/height.png" && echo yes || echo no)"
check "export-normals" 0 "$(status "$CLI" export-normals "$work/demo.dwp" "$work/normals.png")"
check "normal map is 8-bit RGB" "PNG image data, 640 x 420, 8-bit/color RGB, non-interlaced" \
  "$(file -b "$work/normals.png" 2>/dev/null || echo 'no file tool')"
check "relief export wants .png" 2 "$(status "$CLI" export-height "$work/demo.dwp" "$work/height.bmp")"
check "relief export of a missing painting" 1 "$(status "$CLI" export-normals "$work/none.dwp" "$work/n.png")"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
