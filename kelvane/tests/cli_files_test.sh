#!/usr/bin/env bash
# Black-box checks of kelvane-cli on damaged files and on saves: damaged project items,
# truncated pictures, links and permissions of saved files.
source "$(dirname "$0")/cli_support.sh"
# The little-endian 64-bit number at byte OFFSET of FILE.
i64at() { od -An -t d8 -j "$2" -N 8 "$1" | tr -d ' '; }
# Flips byte OFFSET of FILE.
flip() {
  local v
  v=$(od -An -t u1 -j "$2" -N 1 "$1" | tr -d ' ')
  printf "\\$(printf '%03o' $((v ^ 255)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# A 2 x 2 picture written byte by byte, and a project of it.
printf 'BM\x46\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x02\x00\x00\x00\x02\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x10\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\x00\x00\x00\xff\x00\x00\x00\x00\x00\xff\xff\xff\xff\xff\xff\x00\x00' > "$work/pic.bmp"
"$CLI" project new "$work/pic.bmp" "$work/p.kvx"

# Object 0's mask stream, damaged: named on every command, and never saved empty.
cp "$work/p.kvx" "$work/bad.kvx"
size=$(stat -c %s "$work/bad.kvx")
table=$(i64at "$work/bad.kvx" $((size - 16)))
mask=$(i64at "$work/bad.kvx" $((table + 101)))
flip "$work/bad.kvx" $((mask + 12 + 4))
damage='object 0 "KVXObject0", mask: ZLib error: target buffer may be too small'
check "set on a damaged project fails" 1 "$(status "$CLI" project set "$work/bad.kvx" 0 TileX=2 "$work/out.kvx")"
check "and writes nothing" no "$([ -e "$work/out.kvx" ] && echo yes || echo no)"
check "the failure names the object and the item" 1 \
  "$("$CLI" project set "$work/bad.kvx" 0 TileX=2 "$work/out.kvx" 2>&1 | grep -c "Cannot save.*$damage")"
check "info still reads it" 0 "$(status "$CLI" project info "$work/bad.kvx")"
check "and warns of the item" 1 "$("$CLI" project info "$work/bad.kvx" 2>&1 >/dev/null | grep -c "damaged item, read as empty: $damage")"

# Saving through a link writes the link's target and keeps its permissions.
chmod 600 "$work/p.kvx"
ln -s p.kvx "$work/link.kvx"
check "save through a link" 0 "$(status "$CLI" project set "$work/link.kvx" 0 TileX=3 "$work/link.kvx")"
check "the link stays a link" yes "$([ -L "$work/link.kvx" ] && echo yes || echo no)"
check "the target keeps its permissions" 600 "$(stat -c %a "$work/p.kvx")"
check "the target has the change" 1 "$("$CLI" project info "$work/p.kvx" | grep -c '"TileX":3')"
check "no temporary file is left" 3 "$(ls "$work" | grep -c 'kvx')"

# Truncated pictures are refused, whichever command reads them.
"$CLI" filter resize "$work/pic.bmp" "$work/whole.png" --param width=400 --param height=300
"$CLI" filter resize "$work/pic.bmp" "$work/big.jpg" --param width=400 --param height=300
head -c $(($(stat -c %s "$work/whole.png") / 2)) "$work/whole.png" > "$work/cut.png"
head -c $(($(stat -c %s "$work/big.jpg") / 2)) "$work/big.jpg" > "$work/cut.jpg"
check "a whole PNG reads" 0 "$(status "$CLI" project new "$work/whole.png" "$work/w.kvx")"
check "truncated PNG" 1 "$(status "$CLI" project new "$work/cut.png" "$work/c.kvx")"
check "truncated JPEG" 1 "$(status "$CLI" filter blur "$work/cut.jpg" "$work/c.png")"
check "truncated JPEG message" "kelvane-cli: JPEG: Premature end of JPEG file" \
  "$("$CLI" drape "$work/cut.jpg" - "$work/c.png" 2>&1)"

finish
