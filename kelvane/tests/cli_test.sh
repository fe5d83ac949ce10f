#!/usr/bin/env bash
# Black-box checks of kelvane-cli grid commands: outputs, exit codes and messages.
source "$(dirname "$0")/cli_support.sh"

check "help" 0 "$(status "$CLI" --help)"
check "no command" 2 "$(status "$CLI")"
check "unknown grid command" 2 "$(status "$CLI" grid fold a b)"
check "bad number" 2 "$(status "$CLI" grid lattice 30x 20 "$work/x.kvg")"
check "unknown option" 2 "$(status "$CLI" grid reset a b --cell 1,1)"

check "lattice" 0 "$(status "$CLI" grid lattice 300 200 "$work/l.kvg")"
check "lattice file size" 603 "$(stat -c %s "$work/l.kvg")"
check "lattice node (1,2)" "[0.333333343,-0.333333343,0,0.666666687,0.333333343]" \
  "$("$CLI" grid dump "$work/l.kvg" | grep -o '\[[^][]*\]' | sed -n 7p)"
check "cell size option" '{"cols":6,"rows":4,' "$("$CLI" grid lattice 300 200 "$work/c.kvg" --cell 50,50 && "$CLI" grid dump "$work/c.kvg" | head -c 19)"

"$CLI" grid dump "$work/l.kvg" > "$work/l.json"
check "from-json" 0 "$(status "$CLI" grid from-json "$work/l.json" "$work/j.kvg")"
check "json round trip is exact" same "$(cmp -s "$work/l.kvg" "$work/j.kvg" && echo same || echo differ)"

check "insert-col" 0 "$(status "$CLI" grid insert-col "$work/l.kvg" 0 "$work/ic.kvg")"
check "insert-col U" "-0.166666672" "$("$CLI" grid dump "$work/ic.kvg" | grep -o '\[[^][]*\]' | head -n 1 | cut -d, -f4)"
check "insert-row out of range" 1 "$(status "$CLI" grid insert-row "$work/l.kvg" 9 "$work/ir.kvg")"
check "translate then reset" "$("$CLI" grid dump "$work/l.kvg")" \
  "$("$CLI" grid translate "$work/l.kvg" 0.25 -0.5 "$work/t.kvg" && "$CLI" grid reset "$work/t.kvg" "$work/r.kvg" && "$CLI" grid dump "$work/r.kvg")"
check "divide" '{"cols":2,"rows":1,"nodes":[[-0.5,-0.5,0,0,0],' \
  "$("$CLI" grid divide 100 100 25,25,75,75 2 1 "$work/d.kvg" && "$CLI" grid dump "$work/d.kvg" | head -c 46)"

check "append keeps only cells of the key" 0 "$(status "$CLI" grid append "$work/l.kvg" "$work/d.kvg" 0 0 "$work/a.kvg")"
check "append cell count" 11 "$("$CLI" grid dump "$work/a.kvg" | sed 's/.*"cells"://' | grep -o '\[[^][]*\]' | wc -l)"

check "missing file" 1 "$(status "$CLI" grid dump "$work/none.kvg")"
check "missing file message" "kelvane-cli: Cannot open file $work/none.kvg" "$("$CLI" grid dump "$work/none.kvg" 2>&1)"
printf 'KVX' > "$work/short.kvg"
check "short stream names the file and the fault" \
  "kelvane-cli: Stream read error: $work/short.kvg: the stream is 3 bytes, shorter than its 31-byte header and trailer" \
  "$("$CLI" grid dump "$work/short.kvg" 2>&1)"
printf '{"cols":1,"rows":1,"nodes":[[1,2]],"cells":[]}' > "$work/bad.json"
check "bad json" 1 "$(status "$CLI" grid from-json "$work/bad.json" "$work/b.kvg")"
printf '{"cols":1,' > "$work/cut.json"
check "cut json" 1 "$(status "$CLI" grid from-json "$work/cut.json" "$work/b.kvg")"

# Projects, over a 2 x 2 picture written byte by byte.
printf 'BM\x46\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x02\x00\x00\x00\x02\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x10\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\x00\x00\x00\xff\x00\x00\x00\x00\x00\xff\xff\xff\xff\xff\xff\x00\x00' > "$work/pic.bmp"
check "project new" 0 "$(status "$CLI" project new "$work/pic.bmp" "$work/p.kvx")"
check "project info size" '{"width":2,"height":2,' "$("$CLI" project info "$work/p.kvx" | head -c 22)"
check "new object" '"Name":"KVXObject0"' "$("$CLI" project info "$work/p.kvx" | grep -o '"Name":"[^"]*"')"
check "project set" '"TileX":2.5' "$("$CLI" project set "$work/p.kvx" 0 TileX=2.5 Name=Sofa "$work/p2.kvx" && "$CLI" project info "$work/p2.kvx" | grep -o '"TileX":[^,]*')"
check "unknown field" 2 "$(status "$CLI" project set "$work/p.kvx" 0 Colour=1 "$work/p3.kvx")"
check "no such object" 1 "$(status "$CLI" project set "$work/p.kvx" 4 TileX=1 "$work/p3.kvx")"
"$CLI" grid lattice 2 2 "$work/g2.kvg" --cell 1,1
check "project set-grid" '"grid":[2,2,9,4]' "$("$CLI" project set-grid "$work/p2.kvx" 0 "$work/g2.kvg" "$work/p3.kvx" && "$CLI" project info "$work/p3.kvx" | grep -o '"grid":[^]]*]')"
check "project set-texture" '"texture":{"width":2,"height":2' "$("$CLI" project set-texture "$work/p3.kvx" 0 "$work/pic.bmp" "$work/p4.kvx" && "$CLI" project info "$work/p4.kvx" | grep -o '"texture":{"width":[0-9]*,"height":[0-9]*')"
check "project set-mask" 0 "$(status "$CLI" project set-mask "$work/p4.kvx" 0 "$work/pic.bmp" "$work/p5.kvx")"
check "not a project" "kelvane-cli: Sorry Wrong File Format" "$("$CLI" project info "$work/pic.bmp" 2>&1)"

# Filters.
for f in blur sharpen find-edge sobel water-color rotate-90 rotate-180 rotate-270 flip-h flip-v; do
  check "filter $f" 0 "$(status "$CLI" filter $f "$work/pic.bmp" "$work/f-$f.png")"
done
check "npr with its parameters" 0 "$(status "$CLI" filter npr "$work/pic.bmp" "$work/npr.png" --param noise=5 --param distortion=3 --param mode=sobel --param seed=4)"
check "rotate by an angle" 0 "$(status "$CLI" filter rotate "$work/pic.bmp" "$work/r.png" --param angle=15)"
check "resize" 0 "$(status "$CLI" filter resize "$work/pic.bmp" "$work/big.png" --param width=8 --param height=6 --param filter=nearest)"
check "replace-color" 0 "$(status "$CLI" filter replace-color "$work/pic.bmp" "$work/rc.png" --param ref=FF0000 --param H=0.5)"
check "replace-color with two entries" 0 "$(status "$CLI" filter replace-color "$work/pic.bmp" "$work/rc2.png" --entry ref=FF0000,H=0.5 --entry ref=00FFFF,H=0,kS=0.5)"
check "an entry names its own bad value" "--entry kS" \
  "$("$CLI" filter replace-color "$work/pic.bmp" "$work/x.png" --entry ref=FF0000 --entry kS=9 2>&1 >/dev/null | grep -o -- '--entry kS')"
check "entries are replace-color's only" 2 "$(status "$CLI" filter blur "$work/pic.bmp" "$work/x.png" --entry H=0.5)"
check "an entry with an unknown key" 2 "$(status "$CLI" filter replace-color "$work/pic.bmp" "$work/x.png" --entry hue=0.5)"
check "balance" 0 "$(status "$CLI" filter balance "$work/pic.bmp" "$work/b.png" --param brightness=20)"
check "blur-edge needs a mask" 2 "$(status "$CLI" filter blur-edge "$work/pic.bmp" "$work/x.png")"
check "masked blur" 0 "$(status "$CLI" filter blur "$work/pic.bmp" "$work/mb.png" --mask "$work/pic.bmp")"
check "unknown filter" 2 "$(status "$CLI" filter smudge "$work/pic.bmp" "$work/x.png")"
check "parameter the filter does not take" 2 "$(status "$CLI" filter blur "$work/pic.bmp" "$work/x.png" --param angle=3)"

# Selections, written as grey PNG masks.
check "select rectangle" 0 "$(status "$CLI" select rectangle "$work/pic.bmp" - "$work/m.png" --from 0,0 --to 1,1)"
check "select ellipse feathered" 0 "$(status "$CLI" select ellipse "$work/pic.bmp" - "$work/e.png" --from 0,0 --to 2,2 --feather 1)"
check "select wand over a mask" 0 "$(status "$CLI" select wand "$work/pic.bmp" "$work/m.png" "$work/w.png" --seed 0,0 --mode add --tolerance 10)"
check "select polygon" 0 "$(status "$CLI" select polygon "$work/pic.bmp" - "$work/p.png" --points "0,0;2,0;2,2")"
check "select hsl" 0 "$(status "$CLI" select hsl-range "$work/pic.bmp" - "$work/h.png" --color FF0000 --dh 10)"
check "select needs its points" 2 "$(status "$CLI" select rectangle "$work/pic.bmp" - "$work/x.png" --from 0,0)"
check "unknown selection option" 2 "$(status "$CLI" select wand "$work/pic.bmp" - "$work/x.png" --seed 0,0 --radius 3)"
check "bad mode" 2 "$(status "$CLI" select color-range "$work/pic.bmp" - "$work/x.png" --color 000000 --mode xor)"

# Draping. A white drape without a texture takes the photo's brightness: white
# 255 x 255 x 255 div 65536 = 253, blue (intensity 20) gives 19 on every channel.
bytes() { od -An -tx1 -j "$2" -N 3 "$1" | tr -d ' '; }
check "drape the colour alone" 0 "$(status "$CLI" drape "$work/pic.bmp" - "$work/dr.bmp")"
check "drape bottom-left, blue" 131313 "$(bytes "$work/dr.bmp" 54)"
check "drape top-right, white" fdfdfd "$(bytes "$work/dr.bmp" 65)"
check "drape through a grid" 0 "$(status "$CLI" drape "$work/pic.bmp" "$work/pic.bmp" "$work/dt.png" --grid "$work/g2.kvg" --tile 2,2 --rotate 90 --seamless 0.5,0 --glare --passes 4 --sampling nearest --sharpen)"
check "drape with a mask of another size" 1 "$(status "$CLI" drape "$work/pic.bmp" - "$work/x.png" --mask "$work/big.png")"
check "drape refuses other pass counts" 2 "$(status "$CLI" drape "$work/pic.bmp" - "$work/x.png" --passes 5)"
check "drape a scene object" 0 "$(status "$CLI" drape "$work/pic.bmp" "$work/pic.bmp" "$work/ds.png" --fov 0.8)"
check "project fill" 0 "$(status "$CLI" project fill "$work/p5.kvx" 0 "$work/pf.kvx" --export "$work/pf.bmp")"
check "project fill across objects" 0 "$(status "$CLI" project fill "$work/p5.kvx" 0 "$work/pf2.kvx" --objects 0,0)"
check "flat objects have no antialiased mask" "kelvane-cli: Get Anti-aliased Mask Not Avialable For This Object" \
  "$("$CLI" project aa-mask "$work/p5.kvx" 0 "$work/x.kvx" 2>&1)"
mkdir -p "$work/fabrics"
cp "$work/pic.bmp" "$work/fabrics/a.bmp"
printf 'not a picture' > "$work/fabrics/b.png"
check "batch reports the texture it could not read" "kelvane-cli: 1 of 2 textures failed" \
  "$("$CLI" batch "$work/p5.kvx" --object 0 --textures "$work/fabrics" --out "$work/cat" 2>&1 | tail -n 1)"
check "batch wrote the good one" yes "$([ -s "$work/cat/a.jpg" ] && echo yes)"
check "batch needs its folders" 2 "$(status "$CLI" batch "$work/p5.kvx" --object 0)"
# Slices of a catalogue: each texture once, the manifest says what happened, a rerun
# with --resume makes nothing again.
cp "$work/pic.bmp" "$work/fabrics/c.bmp"
check "slice 0 of 2" 0 "$(status "$CLI" batch "$work/p5.kvx" --object 0 --textures "$work/fabrics" --out "$work/sl" --shard 0/2 --manifest "$work/m0.json" --keep-aspect)"
check "slice 1 of 2" 1 "$(status "$CLI" batch "$work/p5.kvx" --object 0 --textures "$work/fabrics" --out "$work/sl" --shard 1/2 --manifest "$work/m1.json")"
check "the slices' outputs" "a.jpg c.jpg" "$(ls "$work/sl" | tr '\n' ' ' | sed 's/ $//')"
check "manifest of slice 0" '"status":"ok" "status":"ok"' "$(grep -o '"status":"[a-z]*"' "$work/m0.json" | tr '\n' ' ' | sed 's/ $//')"
check "manifest names the input" 1 "$(grep -c '"input":"[^"]*fabrics/b.png","output":"","milliseconds":[0-9]*,"status":"failed","message":"PNG' "$work/m1.json")"
check "resume skips" '"status":"skipped" "status":"skipped"' "$("$CLI" batch "$work/p5.kvx" --object 0 --textures "$work/fabrics" --out "$work/sl" --shard 0/2 --manifest "$work/m0.json" --resume 2>/dev/null; grep -o '"status":"[a-z]*"' "$work/m0.json" | tr '\n' ' ' | sed 's/ $//')"
for o in "--shard 2/2" "--shard 1" "--shard -1/3" "--shard 0/0" "--object-width 100" "--repeat 10" \
  "--object-width 100 --repeat 10 --tile 2,2" "--keep-aspect --object-width 100 --repeat 10,20" "--object-width 0 --repeat 10"; do
  check "batch refuses $o" 2 "$(status "$CLI" batch "$work/p5.kvx" --object 0 --textures "$work/fabrics" --out "$work/x" $o)"
done
check "real sizes in a project" '"TileX":12,"TileY":12' \
  "$("$CLI" project set "$work/p5.kvx" 0 "$work/rs.kvx" --object-width 240 --repeat 20 && "$CLI" project info "$work/rs.kvx" | grep -o '"TileX":[^,]*,"TileY":[^,]*')"
check "keep-aspect in a project" '"TileX":3,"TileY":3' \
  "$("$CLI" project set "$work/p5.kvx" 0 TileX=3 "$work/ka.kvx" --keep-aspect && "$CLI" project info "$work/ka.kvx" | grep -o '"TileX":[^,]*,"TileY":[^,]*')"
check "drape with the new render options" 0 "$(status "$CLI" drape "$work/pic.bmp" "$work/pic.bmp" "$work/dn.png" --sampling smooth --projective --texture-alpha --keep-aspect --tile 3,3)"
check "follow-folds" '{"cols":4,"rows":3,' "$("$CLI" grid follow-folds "$work/pic.bmp" "$work/pic.bmp" 4 3 10 "$work/ff.kvg" && "$CLI" grid dump "$work/ff.kvg" | head -c 19)"
check "follow-folds needs a mask of the photo's size" 1 "$(status "$CLI" grid follow-folds "$work/pic.bmp" "$work/big.png" 4 3 10 "$work/ff.kvg")"
check "follow-folds refuses a strength out of range" 2 "$(status "$CLI" grid follow-folds "$work/pic.bmp" "$work/pic.bmp" 4 3 1e9 "$work/ff.kvg")"
check "sampling message" "kelvane-cli: --sampling: linear, nearest or smooth" "$("$CLI" drape "$work/pic.bmp" - "$work/x.png" --sampling cubic 2>&1 | head -n 1)"
check "texture coordinates" '{"cols":2,"rows":2,"nodes":[[-1,-1,0,1,1],' \
  "$("$CLI" grid texcoords "$work/g2.kvg" 1000 1000 1000 1000 1000 1000 1000 1000 "$work/tc.kvg" && "$CLI" grid dump "$work/tc.kvg" | head -c 42)"
check "texture coordinates need numbers" 2 "$(status "$CLI" grid texcoords "$work/g2.kvg" 1 1 abc 1 1 1 1 1 "$work/tc.kvg")"

# Numbers out of range or not finite are bad usage, and the message names the option and
# its range.
err() { "$@" 2>&1 >/dev/null | head -n 1; }
for o in "--tile 0,0" "--tile nan,1" "--rotate nan" "--shift nan,0" "--shift 0,1.5" "--seamless 1,1" \
  "--seamless -0.5,0" "--fov -1" "--fov inf" "--key 4294967296" "--passes 4294967298" "--transparency 256"; do
  check "drape refuses $o" 2 "$(status "$CLI" drape "$work/pic.bmp" - "$work/x.png" $o)"
done
check "tile message" "kelvane-cli: --tile X must be 0.001..100, got 0" "$(err "$CLI" drape "$work/pic.bmp" - "$work/x.png" --tile 0,1)"
check "rotate message" "kelvane-cli: --rotate must be 0..360, got nan" "$(err "$CLI" drape "$work/pic.bmp" - "$work/x.png" --rotate nan)"
for f in TileX=0 TileX=nan TileY=1e9 SeamlessY=0.6 ShiftX=-2 Rotate=-1 FieldOfView=4 Glare=2 Transparency=2.5 MaterialKey=1e99; do
  check "project set refuses $f" 2 "$(status "$CLI" project set "$work/p.kvx" 0 $f "$work/x.kvx")"
done
check "project set keeps the file on bad input" no "$([ -e "$work/x.kvx" ] && echo yes || echo no)"
for p in angle=nan angle=inf; do
  check "filter rotate refuses $p" 2 "$(status "$CLI" filter rotate "$work/pic.bmp" "$work/x.png" --param $p)"
done
for p in gamma=nan brightness=500 contrast=-101 gamma=1.5; do
  check "filter balance refuses $p" 2 "$(status "$CLI" filter balance "$work/pic.bmp" "$work/x.png" --param $p)"
done
check "balance message" "kelvane-cli: --param brightness must be a whole number -100..100, got 500" \
  "$(err "$CLI" filter balance "$work/pic.bmp" "$work/x.png" --param brightness=500)"
for p in ref=zzz ref=0x1234 H=2 kS=nan deltaH=0; do
  check "replace-color refuses $p" 2 "$(status "$CLI" filter replace-color "$work/pic.bmp" "$work/x.png" --param $p)"
done
check "npr refuses a noise of 101" 2 "$(status "$CLI" filter npr "$work/pic.bmp" "$work/x.png" --param noise=101)"
check "resize refuses a width of nan" 2 "$(status "$CLI" filter resize "$work/pic.bmp" "$work/x.png" --param width=nan --param height=2)"
check "hsl-range refuses --dh 0" 2 "$(status "$CLI" select hsl-range "$work/pic.bmp" - "$work/x.png" --color FF0000 --dh 0)"
check "translate refuses nan" 2 "$(status "$CLI" grid translate "$work/l.kvg" nan 0 "$work/x.kvg")"
check "append refuses a key beyond 32 bits" 2 "$(status "$CLI" grid append "$work/l.kvg" "$work/l.kvg" 4294967296 0 "$work/x.kvg")"
printf '{"cols":1e300,"rows":1,"nodes":[],"cells":[]}' > "$work/huge.json"
check "from-json refuses absurd counts" 1 "$(status "$CLI" grid from-json "$work/huge.json" "$work/x.kvg")"

# JSON output is JSON: no bare nan, names in UTF-8 (the file keeps the single-byte code page).
printf '{"cols":0,"rows":0,"nodes":[[null,0,0,0.5,1]],"cells":[[0,0,0,0,0,0,3]]}' > "$work/nan.json"
check "from-json reads null as NaN" 0 "$(status "$CLI" grid from-json "$work/nan.json" "$work/nan.kvg")"
check "dump writes null, never nan" '{"cols":0,"rows":0,"nodes":[[null,0,0,0.5,1]],"cells":[[0,0,0,0,0,0,3]]}' \
  "$("$CLI" grid dump "$work/nan.kvg")"
"$CLI" project set "$work/p.kvx" 0 "Name=Caf$(printf '\xc3\xa9') $(printf '\xe2\x82\xac')" "$work/cafe.kvx"
check "names come out as UTF-8" "\"Name\":\"Caf$(printf '\xc3\xa9') $(printf '\xe2\x82\xac')\"" \
  "$("$CLI" project info "$work/cafe.kvx" | grep -o '"Name":"[^"]*"')"
check "names are stored in the code page" 1 "$(LC_ALL=C grep -c -a "$(printf '\x06Caf\xe9 \x80')" "$work/cafe.kvx")"
check "a name outside the code page is refused" 2 "$(status "$CLI" project set "$work/p.kvx" 0 "Name=$(printf '\xe6\x97\xa5')" "$work/x.kvx")"
check "single-byte text given as a name is refused" 2 "$(status "$CLI" project set "$work/p.kvx" 0 "Name=$(printf 'Caf\xe9')" "$work/x.kvx")"

# Every command answers --help with its own usage; a usage error says what and where to look.
help_is() {  # help_is "USAGE START" COMMAND...: --help exits 0 with that command's usage
  local want="kelvane-cli $1" out rc
  shift
  out=$("$CLI" "$@" --help)
  rc=$?
  check "$* --help" "0 $want" "$rc $(printf '%s' "$out" | head -n 1 | cut -c 1-${#want})"
}
help_is "grid lattice" grid lattice
help_is "grid dump" grid dump
help_is "project set" project set
help_is "project add-object" project add-object
help_is "drape PHOTO" drape
help_is "batch IN.kvx" batch
help_is "demo DIR" demo
help_is "filter NAME" filter
help_is "filter NAME" filter blur -h
help_is "select TOOL" select
help_is "select TOOL" select wand --seed
check "a group lists its commands" 12 "$("$CLI" grid --help | grep -c '^kelvane-cli grid ')"
check "a usage error is two lines" 2 "$("$CLI" grid lattice 0 3 "$work/x.kvg" 2>&1 | wc -l)"
check "and says where the usage is" "run 'kelvane-cli grid lattice --help' for the usage" \
  "$("$CLI" grid lattice 0 3 "$work/x.kvg" 2>&1 | tail -n 1)"
check "unknown commands point to the list" "run 'kelvane-cli --help' for the usage" "$("$CLI" frob 2>&1 | tail -n 1)"

# Objects by name, and a command to add one.
check "add-object" 0 "$(status "$CLI" project add-object "$work/p5.kvx" Armchair "$work/o.kvx")"
check "the new object" '"Name":"Armchair","Color":"FFFFFFFF","Glare":0,"LevelUp":0,"HiContrast":0,"Transparency":255,"Rotate":0,"TileX":1,' \
  "$("$CLI" project info "$work/o.kvx" | grep -o '"Name":"Armchair"[^}]*' | cut -d, -f1-8),"
check "it covers nothing, over the default lattice" '"mask":[2,2],"grid":[2,2,9,4]' \
  "$("$CLI" project info "$work/o.kvx" | grep -o '"mask":[^]]*],"grid":[^]]*]' | tail -n 1)"
check "a second object of that name is refused" 1 "$(status "$CLI" project add-object "$work/o.kvx" Armchair "$work/x.kvx")"
check "set by name" '"TileX":4' \
  "$("$CLI" project set "$work/o.kvx" Armchair TileX=4 "$work/o2.kvx" && "$CLI" project info "$work/o2.kvx" | grep -o '"TileX":[^,]*' | tail -n 1)"
check "an unknown name fails" "kelvane-cli: the project has no object named Lamp" \
  "$("$CLI" project set "$work/o.kvx" Lamp TileX=4 "$work/x.kvx" 2>&1)"
check "an empty name in a list is bad usage" 2 "$(status "$CLI" project fill "$work/o.kvx" 0 "$work/x.kvx" --objects 0,)"
check "an index stays an index" 1 "$(status "$CLI" project set "$work/o.kvx" 2 TileX=4 "$work/x.kvx")"
"$CLI" project set-mask "$work/o2.kvx" Armchair "$work/pic.bmp" "$work/o3.kvx"
check "fill across objects by name" 0 "$(status "$CLI" project fill "$work/o3.kvx" Armchair "$work/o4.kvx" --objects Sofa,Armchair)"

# The whole-picture adjustments refuse a mask; only masked filters take one.
for f in balance rotate rotate-90 flip-h; do
  check "filter $f refuses --mask" 2 "$(status "$CLI" filter $f "$work/pic.bmp" "$work/x.png" --mask "$work/pic.bmp")"
done
check "filter resize refuses --mask" 2 \
  "$(status "$CLI" filter resize "$work/pic.bmp" "$work/x.png" --mask "$work/pic.bmp" --param width=2 --param height=2)"

# Drapes that cannot show what the mask asks for say so on stderr (and still succeed).
"$CLI" grid divide 2 2 0,0,1,1 1 1 "$work/corner.kvg"
check "masked pixels outside every cell" "kelvane-cli: warning: 3 of the 4 masked pixels lie outside every grid cell: they get the plain colour" \
  "$("$CLI" drape "$work/pic.bmp" "$work/pic.bmp" "$work/x.png" --grid "$work/corner.kvg" 2>&1)"
check "a flat grid seen in perspective" 1 \
  "$("$CLI" drape "$work/pic.bmp" "$work/pic.bmp" "$work/x.png" --fov 0.8 2>&1 | grep -c 'grid is flat')"
"$CLI" grid from-json "$work/nan.json" "$work/keyed.kvg"
check "a key no cell has" 1 \
  "$("$CLI" drape "$work/pic.bmp" "$work/pic.bmp" "$work/x.png" --grid "$work/keyed.kvg" --fov 0.8 --key 5 2>&1 | grep -c 'material key 5')"
check "a covered drape is silent" "" "$("$CLI" drape "$work/pic.bmp" "$work/pic.bmp" "$work/x.png" 2>&1)"

# ---- Scenes: 3D models made into pictures and scene files, and their import ----
scene="$work/scene"
mkdir -p "$scene"
cat > "$scene/two.mtl" <<'MTL'
newmtl Red
Kd 0.8 0.1 0.1
newmtl Blue
Kd 0.1 0.1 0.8
MTL
cat > "$scene/two.obj" <<'OBJ'
mtllib two.mtl
o Left
usemtl Red
v 0 0 0
v 1 0 0
v 1 1 0
v 0 1 0
f 1 2 3 4
o Right
usemtl Blue
v 1.5 0 0
v 2.5 0 0
v 2.5 1 0
v 1.5 1 0
f 5 6 7 8
OBJ
check "scene from-model" 0 "$(status "$CLI" scene from-model "$scene/two.obj" "$scene/two.png" --size 160x90)"
check "scene file beside the picture" yes "$([ -s "$scene/two.kv" ] && echo yes)"
check "scene size usage" 2 "$(status "$CLI" scene from-model "$scene/two.obj" "$scene/x.png" --size 0x9)"
check "scene picture must be a picture" 2 "$(status "$CLI" scene from-model "$scene/two.obj" "$scene/x.kv")"
check "scene missing camera" "kelvane-cli: Model $scene/two.obj: The model has no camera Top (it has none)" \
  "$("$CLI" scene from-model "$scene/two.obj" "$scene/x.png" --camera Top 2>&1)"
check "project new imports the scene" '"Name":"Blue""Name":"Red"' \
  "$("$CLI" project new "$scene/two.png" "$scene/two.kvx" && "$CLI" project info "$scene/two.kvx" | grep -o '"Name":"[^"]*"' | sort | tr -d '\n')"
check "grouped file written" yes "$([ -s "$scene/two.gkv" ] && echo yes)"
check "without grouping, names carry the sub-material" '"Name":"Red - Red"' \
  "$("$CLI" project new "$scene/two.png" "$scene/t2.kvx" --group-by-materials off && "$CLI" project info "$scene/t2.kvx" | grep -o '"Name":"Red - Red"')"
check "scene option values" 2 "$(status "$CLI" project new "$scene/two.png" "$scene/x.kvx" --by-name maybe)"
check "project new has no other options" 2 "$(status "$CLI" project new "$scene/two.png" "$scene/x.kvx" --fast)"
check "get-mask" 0 "$(status "$CLI" project get-mask "$scene/two.kvx" 0 "$scene/m0.png")"
check "get-mask is the picture's size" "160 90" "$(identify -format '%w %h' "$scene/m0.png")"
check "get-grid second" 0 "$(status "$CLI" project get-grid "$scene/two.kvx" 1 "$scene/g1.kvg" --second)"
check "the second grid is the box mapping" 1 "$("$CLI" grid dump "$scene/g1.kvg" | grep -c '"cells":\[\[0,1,2,2')"
check "get-grid of a missing object" 1 "$(status "$CLI" project get-grid "$scene/two.kvx" 7 "$scene/g.kvg")"
head -c 20 "$scene/two.kv" > "$scene/cut.kv"
cp "$scene/two.png" "$scene/cut.png"
check "a cut scene file fails the import" 1 "$(status "$CLI" project new "$scene/cut.png" "$scene/cut.kvx" --group-by-materials off)"
check "and writes no project" no "$([ -e "$scene/cut.kvx" ] && echo yes || echo no)"
invalid=/usr/share/assimp/models/invalid
if [ -d "$invalid" ]; then
  for model in "$invalid"/*; do
    out=$("$CLI" scene from-model "$model" "$scene/bad.png" 2>&1)
    code=$?
    check "broken model $(basename "$model")" "1 message" "$code $([ -n "$out" ] && echo message)"
  done
else
  echo "skipped: no $invalid (Debian package assimp-testmodels)"
fi

finish
