#!/usr/bin/env bash
# Black-box checks of kelvane-cli texlib and of library textures in projects.
source "$(dirname "$0")/cli_support.sh"

# A 2 x 2 picture written byte by byte, and larger ones made from it.
printf 'BM\x46\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x02\x00\x00\x00\x02\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x10\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\x00\x00\x00\xff\x00\x00\x00\x00\x00\xff\xff\xff\xff\xff\xff\x00\x00' > "$work/pic.bmp"
mkdir -p "$work/fabrics"
"$CLI" filter resize "$work/pic.bmp" "$work/fabrics/wide.png" --param width=200 --param height=100 --param filter=nearest
"$CLI" filter resize "$work/pic.bmp" "$work/fabrics/tall.jpeg" --param width=30 --param height=60
cp "$work/pic.bmp" "$work/fabrics/small.BMP"

check "help" 0 "$(status "$CLI" texlib --help)"
check "no subcommand" 2 "$(status "$CLI" texlib)"
check "subcommand help" "kelvane-cli texlib remove IN.kvt INDEX OUT.kvt" \
  "$("$CLI" texlib remove --help | head -n 1)"
for c in create add remove list extract thumbnail; do
  check "$c --help" 0 "$(status "$CLI" texlib $c --help)"
done
check "usage error" 2 "$(status "$CLI" texlib extract "$work/x.kvt" 0)"
check "usage error says where to read more" "run 'kelvane-cli texlib extract --help' for the usage" \
  "$("$CLI" texlib extract "$work/x.kvt" 0 2>&1 | tail -n 1)"
check "usage error is short" 2 "$("$CLI" texlib extract "$work/x.kvt" 0 2>&1 | wc -l)"
check "unknown subcommand" 2 "$(status "$CLI" texlib pack "$work/x.kvt")"
check "unknown option" 2 "$(status "$CLI" texlib list "$work/x.kvt" --pretty)"

check "create from a folder" 0 "$(status "$CLI" texlib create "$work/lib.kvt" "$work/fabrics")"
check "list" '{"count":3,"textures":[{"index":0,"format":"bmp","width":2,"height":2},{"index":1,"format":"jpeg","width":30,"height":60},{"index":2,"format":"png","width":200,"height":100}]}' \
  "$("$CLI" texlib list "$work/lib.kvt")"
check "extract is byte for byte" same \
  "$("$CLI" texlib extract "$work/lib.kvt" 2 "$work/x.png" && cmp -s "$work/x.png" "$work/fabrics/wide.png" && echo same)"
check "thumbnail" 0 "$(status "$CLI" texlib thumbnail "$work/lib.kvt" 2 "$work/t.png")"
check "thumbnail is 100 x 100" "100 100" \
  "$("$CLI" texlib create "$work/t.kvt" "$work/t.png" && "$CLI" texlib list "$work/t.kvt" | grep -o '"width":[0-9]*,"height":[0-9]*' | tr -dc '0-9,' | tr , ' ')"
check "no such texture" 1 "$(status "$CLI" texlib extract "$work/lib.kvt" 3 "$work/y")"
check "index must be a number" 2 "$(status "$CLI" texlib thumbnail "$work/lib.kvt" one "$work/y.png")"
check "add" 5 "$("$CLI" texlib add "$work/lib.kvt" "$work/pic.bmp" "$work/fabrics/wide.png" "$work/lib2.kvt" && "$CLI" texlib list "$work/lib2.kvt" | grep -o '"index"' | wc -l)"
check "remove" '{"count":2,"textures":[{"index":0,"format":"bmp","width":2,"height":2},{"index":1,"format":"png","width":200,"height":100}]}' \
  "$("$CLI" texlib remove "$work/lib.kvt" 1 "$work/lib3.kvt" && "$CLI" texlib list "$work/lib3.kvt")"
check "remove out of range" 1 "$(status "$CLI" texlib remove "$work/lib.kvt" 3 "$work/lib4.kvt")"
check "remove in place" '{"count":1,"textures":[{"index":0,"format":"png","width":200,"height":100}]}' \
  "$("$CLI" texlib remove "$work/lib3.kvt" 0 "$work/lib3.kvt" && "$CLI" texlib list "$work/lib3.kvt")"
printf 'not a picture' > "$work/fabrics/torn.png"
check "a picture that cannot be read writes nothing" "1 no" \
  "$(status "$CLI" texlib create "$work/torn.kvt" "$work/fabrics") $([ -e "$work/torn.kvt" ] && echo yes || echo no)"
rm "$work/fabrics/torn.png"
head -c 40 "$work/lib.kvt" > "$work/cut.kvt"
check "a damaged library is refused" 1 "$(status "$CLI" texlib list "$work/cut.kvt")"
check "the message names the library" "kelvane-cli: Texture library $work/cut.kvt:" \
  "$("$CLI" texlib list "$work/cut.kvt" 2>&1 | cut -d' ' -f1-4)"

# Library textures of projects: found in the user's data folder, refused when missing.
export XDG_DATA_HOME="$work/data"
mkdir -p "$XDG_DATA_HOME/kelvane/texlib"
cp "$work/lib.kvt" "$XDG_DATA_HOME/kelvane/texlib/fabrics.kvt"
"$CLI" project new "$work/pic.bmp" "$work/p.kvx"
"$CLI" project set-mask "$work/p.kvx" 0 "$work/pic.bmp" "$work/pm.kvx"
check "set-texture from a missing library" 1 "$(status "$CLI" project set-texture "$work/pm.kvx" 0 texlib:missing.kvt:1 "$work/x.kvx")"
check "the message names library and texture" 'kelvane-cli: Cannot read texture 1 of the texture library "missing.kvt": not found in' \
  "$("$CLI" project set-texture "$work/pm.kvx" 0 texlib:missing.kvt:1 "$work/x.kvx" 2>&1 | cut -d' ' -f1-13)"
check "set-texture from a library" '"texture":{"width":200,"height":100,"library":"fabrics.kvt","index":2' \
  "$("$CLI" project set-texture "$work/pm.kvx" 0 texlib:fabrics.kvt:2 "$work/pl.kvx" && "$CLI" project info "$work/pl.kvx" | grep -o '"texture":{[^}]*"index":2')"
check "fill with the library texture" 0 "$(status "$CLI" project fill "$work/pl.kvx" 0 "$work/pf.kvx")"
rm "$XDG_DATA_HOME/kelvane/texlib/fabrics.kvt"
check "fill once the library is gone" 1 "$(status "$CLI" project fill "$work/pl.kvx" 0 "$work/pf.kvx")"

# The catalogue job from a library.
check "batch over a library" 0 "$(status "$CLI" batch "$work/pm.kvx" --object 0 --textures "$work/lib.kvt" --out "$work/cat" --format png)"
check "batch wrote one picture per entry" "lib-0.png lib-1.png lib-2.png" "$(ls "$work/cat" | tr '\n' ' ' | sed 's/ $//')"

finish
