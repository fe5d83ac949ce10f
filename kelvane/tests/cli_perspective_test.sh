#!/usr/bin/env bash
# Black-box checks of kelvane-cli grid perspective: the lattice, the usage and the refusals.
source "$(dirname "$0")/cli_support.sh"
node() { "$CLI" grid dump "$1" | grep -o '\[[^][]*\]' | sed -n "$2p"; }

check "help" 0 "$(status "$CLI" grid perspective --help)"
check "help text" "kelvane-cli grid perspective W H X0,Y0 X1,Y1 X2,Y2 X3,Y3 COLS ROWS OUT.kvg" \
  "$("$CLI" grid perspective --help | head -n 1)"

# A square outline on a 400 x 400 image: the perspective of a square is the plain lattice.
check "square" 0 "$(status "$CLI" grid perspective 400 400 100,100 300,100 300,300 100,300 2 2 "$work/s.kvg")"
check "square top left" "[-0.5,-0.5,0,0,0]" "$(node "$work/s.kvg" 1)"
check "square centre" "[0,0,0,0.5,0.5]" "$(node "$work/s.kvg" 5)"
check "square bottom right" "[0.5,0.5,0,1,1]" "$(node "$work/s.kvg" 9)"

# A kite whose diagonals cross at (200, 100): the centre node lands there.
check "kite" 0 "$(status "$CLI" grid perspective 400 400 200,0 300,100 200,400 100,100 2 2 "$work/k.kvg")"
check "kite centre on the diagonals" "[0,-0.5,0,0.5,0.5]" "$(node "$work/k.kvg" 5)"
check "kite layout" '{"cols":2,"rows":2,' "$("$CLI" grid dump "$work/k.kvg" | head -c 19)"

check "crossed outline" 1 "$(status "$CLI" grid perspective 400 400 0,0 100,100 100,0 0,100 2 2 "$work/x.kvg")"
check "crossed message" "kelvane-cli: Perspective grid: the corners (top left, top right, bottom right, bottom left) do not make a convex quadrilateral" \
  "$("$CLI" grid perspective 400 400 0,0 100,100 100,0 0,100 2 2 "$work/x.kvg" 2>&1)"
check "no file written" no "$([ -e "$work/x.kvg" ] && echo yes || echo no)"
check "too few arguments" 2 "$(status "$CLI" grid perspective 400 400 0,0 1,0 1,1 2 2 "$work/x.kvg")"
check "bad corner" 2 "$(status "$CLI" grid perspective 400 400 0,0 1,0 1 0,1 2 2 "$work/x.kvg")"
check "not a number" 2 "$(status "$CLI" grid perspective 400 400 0,0 1,x 1,1 0,1 2 2 "$work/x.kvg")"
check "no columns" 2 "$(status "$CLI" grid perspective 400 400 0,0 1,0 1,1 0,1 0 2 "$work/x.kvg")"
check "unwritable" 1 "$(status "$CLI" grid perspective 400 400 0,0 1,0 1,1 0,1 2 2 "$work/none/x.kvg")"

finish
