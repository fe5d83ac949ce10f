# Sourced by the kelvane-cli checks: a scratch folder removed on exit, the tally, and
# check/status/finish.
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
# Prints the tally; the script's status is whether every check passed.
finish() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}
