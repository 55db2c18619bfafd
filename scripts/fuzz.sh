#!/usr/bin/env bash
# Fuzzes every parser with libFuzzer under ASan and UBSan.
#
#   scripts/fuzz.sh [seconds] [target...]      (default: 10 seconds, every target)
#   FUZZ_JOBS=2 scripts/fuzz.sh 600            (two targets at a time)
#
# Builds the clang fuzz project (tests/fuzz) into build/fuzz, runs each target for the given
# time with nice -n 19 over a working corpus in build/fuzz/corpus/<target> seeded from
# tests/fuzz/corpus/<target>, keeps every crash, leak, time-out or memory blow-up under
# tests/fuzz/regressions/<target>/ (the normal test run replays that folder), and prints the
# executions and findings per target. Exit status 1 when anything was found.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-10}
[ $# -gt 0 ] && shift
all=(startup_args hotkey ini ini_profile percent_decode archive_names archive version_answer download)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")
jobs=${FUZZ_JOBS:-1}
build=build/fuzz

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is not installed"
  exit 2
fi
mkdir -p "$build"
if ! { cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
         && nice -n 19 cmake --build "$build" -j2; } >"$build/fuzz-build.log" 2>&1; then
  tail -n 30 "$build/fuzz-build.log"
  echo "fuzz: the fuzz build failed"
  exit 2
fi

max_len() {
  case $1 in
    archive) echo 65536 ;;
    version_answer|download) echo 8192 ;;
    *) echo 4096 ;;
  esac
}

findings() { ls "tests/fuzz/regressions/$1" 2>/dev/null | grep -cE '^(crash|leak|timeout|oom)-' ; }

run_one() {
  local t=$1 work="$build/corpus/$1" kept="tests/fuzz/regressions/$1" log="$build/$1.log"
  mkdir -p "$work" "$kept"
  local before; before=$(findings "$t")
  # ASan's leak check stays on; a leak is a finding like a crash.
  nice -n 19 "$build/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$(max_len "$t")" \
    -print_final_stats=1 -artifact_prefix="$kept/" "$work" "tests/fuzz/corpus/$t" >"$log" 2>&1
  rm -f "$kept"/slow-unit-*
  local after; after=$(findings "$t")
  rmdir "$kept" 2>/dev/null
  local execs; execs=$(grep -oE 'number_of_executed_units: [0-9]+' "$log" | grep -oE '[0-9]+$' | tail -n 1)
  local rate; rate=$(grep -oE 'average_exec_per_sec: *[0-9]+' "$log" | grep -oE '[0-9]+$' | tail -n 1)
  local corpus; corpus=$(ls "$work" | wc -l)
  printf '%-16s %12s %9s %8s %9s\n' "$t" "${execs:-?}" "${rate:-?}" "$corpus" "$((after - before))" >"$build/$t.row"
  if [ "$after" -gt "$before" ]; then
    grep -E 'property broken|^==[0-9]+== ?ERROR|^SUMMARY: |^  [^ #]' "$log" | head -n 8 >>"$build/$t.row"
    echo "  (kept under $kept/; full output in $log)" >>"$build/$t.row"
  fi
}

running=0
for t in "${targets[@]}"; do
  if [ ! -x "$build/$t" ]; then
    echo "fuzz: no target named $t (targets: ${all[*]})"
    exit 2
  fi
  rm -f "$build/$t.row"
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

printf '%-16s %12s %9s %8s %9s\n' target executions "execs/s" corpus findings
found=0
for t in "${targets[@]}"; do
  cat "$build/$t.row"
  n=$(sed -n 1p "$build/$t.row" | awk '{print $5}')
  [ "${n:-0}" -gt 0 ] && found=1
done
if [ "$found" = 1 ]; then
  echo "fuzz: findings kept under tests/fuzz/regressions/"
  exit 1
fi
echo "fuzz: no findings"
