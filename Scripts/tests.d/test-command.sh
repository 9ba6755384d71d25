#!/usr/bin/env bash
# The test command's rule for a suite that fails: only the end-to-end run
# gets a second run, and its first failure stays in the notes; any other
# failure stands. Checked by running the command on fake suites that fail a
# given number of times.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
fake="$(mktemp -d)"
trap 'rm -rf "$fake"' EXIT
passed=0
failed=0

for name in e2e fuzz; do
  cat >"$fake/$name.sh" <<FAKE
runs=\$((\$(cat "$fake/$name.runs" 2>/dev/null || echo 0) + 1))
echo "\$runs" >"$fake/$name.runs"
echo "$name: run \$runs"
[ "\$runs" -gt "\$FAKE_FAILURES" ]
FAKE
done

# case NAME FAILURES SUITE STATUS RUNS LINE...: the command on one fake suite
# that fails its first FAILURES runs ends with STATUS (0 or 1) after RUNS runs
# of the suite, and its output has each LINE (a whole line); a note only
# where one is expected.
case_() {
  local name=$1 failures=$2 suite=$3 status=$4 runs=$5 output actual line problems=()
  shift 5
  rm -f "$fake"/*.runs "$fake"/*.log
  output="$(FAKE_FAILURES=$failures TAVRIN_SUITES_DIR="$fake" "$root/Scripts/test.sh" "$suite" 2>&1)"
  actual=$?
  [ "$actual" -ne 0 ] && actual=1
  [ "$actual" = "$status" ] || problems+=("status $actual")
  [ "$(cat "$fake/$suite.runs" 2>/dev/null)" = "$runs" ] || problems+=("runs $(cat "$fake/$suite.runs" 2>/dev/null)")
  for line in "$@"; do
    grep -qxF -- "$line" <<<"$output" || problems+=("no line '$line'")
  done
  [[ " $* " == *" Note: "* ]] || ! grep -q '^Note:' <<<"$output" || problems+=("a note")
  if [ ${#problems[@]} -eq 0 ]; then
    passed=$((passed + 1)); echo "ok   - $name"
  else
    failed=$((failed + 1)); echo "FAIL - $name: ${problems[*]}"; sed 's/^/   | /' <<<"$output"
  fi
}

first="the first: ${fake#"$root"/}/suite-e2e-first.log"
case_ "a fuzz failure stands, with no second run" 1 fuzz 1 1 \
  "fuzz: run 1" "Failed: fuzz" "Totals: 0 passed, 1 failed"
case_ "e2e failing once passes on its second run, noted" 1 e2e 0 2 \
  "e2e: run 1" "e2e: run 2" "Note: e2e failed its first run and passed its second ($first)" "Totals: 0 passed, 0 failed"
case_ "e2e failing twice fails" 2 e2e 1 2 \
  "Note: e2e failed its first run and failed its second ($first)" "Failed: e2e" "Totals: 0 passed, 1 failed"
case_ "a passing suite runs once, with no note" 0 fuzz 0 1 "Totals: 0 passed, 0 failed"

echo "test-command: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
