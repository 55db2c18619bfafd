#!/usr/bin/env bash
# Installs what is missing, builds both backends and runs every test: the Linux suite under
# CTest on a private headless desktop (some of its tests run the Windows build under Wine),
# then the Windows build's test programs under Wine. Ends with one line "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh || { echo "dependency installation failed"; echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

step() { printf '\n==== %s\n' "$*"; }

# build NAME: configures and builds a preset; 0 when it built.
build() {
  step "$1 build"
  if cmake --preset "$1" >"$logs/$1-config.log" 2>&1 && cmake --build --preset "$1" >"$logs/$1-build.log" 2>&1; then
    return 0
  fi
  tail -n 40 "$logs/$1-config.log" "$logs/$1-build.log"
  echo "$1 build failed"
  failed=$((failed + 1))
  return 1
}

build linux && linux_built=1 || linux_built=0
build windows && windows_built=1 || windows_built=0

if ((linux_built)); then
  step "Linux tests (CTest)"
  # The Wine end-to-end tests among them use the Windows build when there is one.
  if ((windows_built)); then export XINGHE_WINDOWS_BUILD=$PWD/build/windows; fi
  scripts/with-desktop.sh ctest --preset linux -j2 --timeout 300 2>&1 | tee "$logs/ctest.log"
  summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$logs/ctest.log" | tail -n 1)
  if [ -n "$summary" ]; then
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$summary")
    bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  else
    failed=$((failed + 1))
  fi
fi

if ((windows_built)); then
  step "Windows tests (Wine)"
  bash scripts/run-wine-tests.sh build/windows 2>&1 | tee "$logs/wine.log"
  summary=$(grep -E '^wine: [0-9]+ passed, [0-9]+ failed' "$logs/wine.log" | tail -n 1)
  if [ -n "$summary" ]; then
    passed=$((passed + $(sed -E 's/^wine: ([0-9]+) passed.*/\1/' <<<"$summary")))
    failed=$((failed + $(sed -E 's/.*passed, ([0-9]+) failed.*/\1/' <<<"$summary")))
  else
    failed=$((failed + 1))
  fi
fi

# ---- The skinned controls as real windows under Wine, driven by the Linux test program.
if ((linux_built && windows_built)); then
  step "Controls GUI tests (Wine)"
  bash tests/controls/run-wine-gui-tests.sh build/linux build/windows 2>&1 | tee "$logs/wine-gui.log"
  ok=$(sed -nE 's/^\[  PASSED  \] ([0-9]+) tests?\..*/\1/p' "$logs/wine-gui.log" | tail -n 1)
  bad=$(sed -nE 's/^\[  FAILED  \] ([0-9]+) tests?, listed below.*/\1/p' "$logs/wine-gui.log" | tail -n 1)
  if [ -n "$ok" ] || [ -n "$bad" ]; then
    passed=$((passed + ${ok:-0}))
    failed=$((failed + ${bad:-0}))
  else
    failed=$((failed + 1))
  fi
fi

# ---- Fuzzing: a short libFuzzer run of every parser (tests/fuzz); one failure if it finds anything.
step "Fuzzing (3 seconds per target)"
if command -v clang++ >/dev/null; then
  if bash scripts/fuzz.sh 3; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
else
  echo "clang++ is not installed: fuzzing skipped"
fi

echo
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
