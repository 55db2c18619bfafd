#!/usr/bin/env bash
# Installs what is missing, builds both backends and runs every test:
# the Linux suite under CTest on a private headless desktop, then the Windows build's
# test programs under Wine. Ends with one line "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh || { echo "dependency installation failed"; echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

step() { printf '\n==== %s\n' "$*"; }

step "Linux build"
if cmake --preset linux >"$logs/linux-config.log" 2>&1 && cmake --build --preset linux >"$logs/linux-build.log" 2>&1; then
  step "Linux tests (CTest)"
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
else
  tail -n 40 "$logs/linux-config.log" "$logs/linux-build.log"
  echo "Linux build failed"
  failed=$((failed + 1))
fi

step "Windows build (MinGW-w64, 32-bit)"
if cmake --preset windows >"$logs/win-config.log" 2>&1 && cmake --build --preset windows >"$logs/win-build.log" 2>&1; then
  step "Windows tests (Wine)"
  bash scripts/run-wine-tests.sh build/windows 2>&1 | tee "$logs/wine.log"
  summary=$(grep -E '^wine: [0-9]+ passed, [0-9]+ failed' "$logs/wine.log" | tail -n 1)
  if [ -n "$summary" ]; then
    passed=$((passed + $(sed -E 's/^wine: ([0-9]+) passed.*/\1/' <<<"$summary")))
    failed=$((failed + $(sed -E 's/.*passed, ([0-9]+) failed.*/\1/' <<<"$summary")))
  else
    failed=$((failed + 1))
  fi
else
  tail -n 40 "$logs/win-config.log" "$logs/win-build.log"
  echo "Windows build failed"
  failed=$((failed + 1))
fi

echo
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
