#!/usr/bin/env bash
# Black-box checks of kelvane-cli grid commands: outputs, exit codes and messages.
set -u
: "${CLI:?set CLI to the kelvane-cli binary}"
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
check "short stream" "kelvane-cli: Stream read error" "$("$CLI" grid dump "$work/short.kvg" 2>&1)"
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
check "texture coordinates" '{"cols":2,"rows":2,"nodes":[[-1,-1,0,1,1],' \
  "$("$CLI" grid texcoords "$work/g2.kvg" 1000 1000 1000 1000 1000 1000 1000 1000 "$work/tc.kvg" && "$CLI" grid dump "$work/tc.kvg" | head -c 42)"
check "texture coordinates need numbers" 2 "$(status "$CLI" grid texcoords "$work/g2.kvg" 1 1 abc 1 1 1 1 1 "$work/tc.kvg")"

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

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
