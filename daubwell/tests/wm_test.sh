#!/usr/bin/env bash
# The paint program under a window manager (openbox), driven with xdotool as a user
# would: the tool windows above the frame and back after minimising, two second starts
# in a row handing over files that do not load, and the frame as it was afterwards.
set -u
: "${APP:?set APP to the daubwell binary}"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1400x900x24" bash "$0" "$@"
fi
for tool in openbox xdotool xprop xwininfo; do
  command -v "$tool" >/dev/null || { echo "wm_test: $tool is missing (scripts/install-deps)"; exit 1; }
done
work=$(mktemp -d)
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config" \
  XDG_DATA_HOME="$work/home/.local/share" DAUBWELL_NO_REGISTER=1
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
failures=0
passes=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then passes=$((passes + 1)); else echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}
window() {  # window TITLE-PATTERN: the first such window, waiting up to a minute (a first start
  local id=""  # builds the pattern image cache)
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    sleep 0.2
  done
  echo "$id"
}
hex() { printf '0x%x' "$1"; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable' && echo yes || echo no; }
above() {  # above A B: whether A is stacked above B
  local list ia=-1 ib=-1 i=0
  list=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g')
  for w in $list; do
    [ "$((w))" -eq "$1" ] && ia=$i
    [ "$((w))" -eq "$2" ] && ib=$i
    i=$((i + 1))
  done
  [ "$ia" -gt "$ib" ] && [ "$ib" -ge 0 ] && echo yes || echo no
}

openbox >/dev/null 2>&1 &
wm=$!
sleep 1
"$APP" >"$work/app.log" 2>&1 &
app=$!
trap 'kill $app $wm 2>/dev/null; rm -rf "$work"' EXIT
frame=$(window "^Daubwell$")
check "the frame appears" yes "$([ -n "$frame" ] && echo yes || echo no)"
sleep 4  # the splash
for title in "^ Tools$" "^ Brush Properties" "^ Colors$" "^ Palette$"; do
  w=$(window "$title")
  check "$title shown" yes "$(viewable "$w")"
  check "$title above the frame" yes "$(above "$w" "$frame")"
done
tools=$(window "^ Tools$")
xdotool windowactivate "$frame" >/dev/null 2>&1; sleep 0.5
check "the tools stay above the active frame" yes "$(above "$tools" "$frame")"
xdotool windowminimize "$frame"
sleep 1
check "minimised: the tools go" no "$(viewable "$tools")"
xdotool windowactivate "$frame" >/dev/null 2>&1 || xdotool windowmap "$frame"
sleep 1
check "restored: the tools come back" yes "$(viewable "$tools")"
check "restored: above the frame" yes "$(above "$tools" "$frame")"

state() { xprop -id "$frame" _NET_WM_STATE; }
# Enter on each "Error" box, as a user would, counting them. The key goes to the focused
# box: addressed to the box itself, xdotool would fail on the window that the press
# closes and never let go of Enter.
answer_errors() {
  local box n=0
  for _ in 1 2 3 4; do
    box=$(xdotool search --onlyvisible --name "^Error$" 2>/dev/null | head -n 1)
    [ -z "$box" ] && break
    n=$((n + 1))
    xdotool windowactivate --sync "$box" >/dev/null 2>&1; sleep 0.3; xdotool key Return >/dev/null 2>&1
    sleep 1
  done
  echo "$n"
}
before=$(state)
# A second start with a file that does not load: the message, OK, and the program stays.
"$APP" /no/such.dwp >/dev/null 2>&1
box=$(window "^Error$")
check "the running program says the file did not load" yes "$([ -n "$box" ] && echo yes || echo no)"
# The message of the reader, then "File Load failed!".
check "both messages shown" 2 "$(answer_errors)"
check "the running program is still there" yes "$(kill -0 $app 2>/dev/null && echo yes || echo no)"
check "the frame keeps its state" "$before" "$(state)"
# Another one straight after says so just the same.
"$APP" /no/such/either.dwp >/dev/null 2>&1
box=$(window "^Error$")
check "a second failed hand-over in a row is told too" yes "$([ -n "$box" ] && echo yes || echo no)"
sleep 1
check "and its messages stay until answered" 2 "$(answer_errors)"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
