#!/usr/bin/env bash
# Kills the self-update at random points many times, and starts two launchers at once, then
# prints what it saw.
#
#   scripts/faults.sh [rounds] [twin rounds]     (default: 60 kill rounds, 50 twin rounds)
#   XINGHE_FAULT_SEED=123 scripts/faults.sh      (the same kill delays again)
#
# Runs the already built build/linux/tests/update/xinghe-update-faults-tests (build it with
# cmake --build build/linux -j2 --target xinghe-update-faults-tests); the whole output is kept
# in build/linux/faults.log. Exit status 1 when a check failed.
set -uo pipefail
cd "$(dirname "$0")/.."

program=build/linux/tests/update/xinghe-update-faults-tests
log=build/linux/faults.log
if [ ! -x "$program" ]; then
  echo "faults: $program is not built"
  exit 2
fi
XINGHE_FAULT_ROUNDS=${1:-60} XINGHE_TWIN_ROUNDS=${2:-50} "$program" >"$log" 2>&1
status=$?

grep -E '^fault (calibration|seed)|^two checks at once' "$log"
awk '
  /^fault round / {
    rounds++
    for (i = 1; i <= NF; i++) {
      if ($i == "phase") { p = $(i + 1); sub(/,$/, "", p); phase[p]++ }
      if ($i == "killed" && $(i + 1) + 0 > 0) kills++
      if ($i == "installed") { s = $(i + 1); sub(/,$/, "", s); installed[s]++ }
      if ($i == "leftovers" && $(i + 1) + 0 > 0) leftovers++
    }
  }
  /: Failure$/ { failures++ }
  END {
    line = sprintf("faults: %d rounds, %d kills, %d failures, %d leftover copies found and removed by the next start;",
                   rounds, kills, failures, leftovers)
    line = line " phases:"
    for (p in phase) line = line " " p "=" phase[p]
    line = line "; installed after the kill:"
    for (s in installed) line = line " " s "=" installed[s]
    print line
  }' "$log"
grep -E '^\[  (PASSED|FAILED) ' "$log"
exit $status
