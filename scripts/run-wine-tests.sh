#!/usr/bin/env bash
# Runs the Windows build's test programs under 32-bit Wine, in a throw-away Wine prefix and on
# a private Xvfb display, both removed at the end.
#
#   scripts/run-wine-tests.sh [build-dir]      (default: build/windows)
#
# The last line printed is "wine: N passed, N failed" (test cases of all programs together);
# the exit status is non-zero when anything failed, crashed or could not run.
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${1:-$ROOT/build/windows}
if ! BUILD_DIR=$(cd "$BUILD_DIR" 2>/dev/null && pwd); then
  echo "run-wine-tests: no build folder ${1:-$ROOT/build/windows}" >&2
  echo "wine: 0 passed, 1 failed"
  exit 1
fi

WINE=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver
PROGRAMS=(xinghe-core-tests.exe xinghe-adapter-tests.exe xinghe-frame-win32-tests.exe xinghe-features-win32-tests.exe xinghe-folder-lock-tests.exe)
SUITE_TIMEOUT=${XINGHE_WINE_TIMEOUT:-600}

work=$(mktemp -d /tmp/xinghe-wine.XXXXXX)
export WINEPREFIX=$work/prefix
export WINEARCH=win32
export WINEDEBUG=-all
xvfb_pid=""

cleanup() {
  if [ -d "$WINEPREFIX" ]; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
    # -k only signals; wait until the server has really gone before the prefix is removed.
    "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A display of our own: the first number that has neither a lock file nor a socket, and on
# which Xvfb really comes up (another run may take the same number at the same moment).
start_xvfb() {
  local n
  for n in $(seq 90 189); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 50); do
      if [ -S "/tmp/.X11-unix/X$n" ]; then
        export DISPLAY=":$n"
        return 0
      fi
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  done
  return 1
}

if ! start_xvfb; then
  echo "run-wine-tests: could not start Xvfb" >&2
  echo "wine: 0 passed, 1 failed"
  exit 1
fi

# Without network and without the Mono and Gecko packages, wineboot would stop at their
# download prompts; the overrides skip those two installers.
echo "run-wine-tests: making a Wine prefix in $WINEPREFIX on $DISPLAY"
if ! WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE" wineboot -i >"$work/wineboot.log" 2>&1; then
  cat "$work/wineboot.log" >&2
  echo "run-wine-tests: wineboot failed" >&2
  echo "wine: 0 passed, 1 failed"
  exit 1
fi
"$WINESERVER" -w >/dev/null 2>&1 || true
# A crashing test program must end, not wait for someone to close the crash dialog: no
# debugger is attached, and the dialog is off should one be set again.
"$WINE" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 || true
"$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
"$WINESERVER" -w >/dev/null 2>&1 || true

find_program() {
  local dir
  for dir in "$BUILD_DIR" "$BUILD_DIR/tests"; do
    if [ -f "$dir/$1" ]; then
      echo "$dir/$1"
      return 0
    fi
  done
  return 1
}

# Z: is the whole Unix file system in every Wine prefix.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

launcher=$(find_program xinghe-launcher.exe || true)
if [ -n "$launcher" ]; then
  export XINGHE_LAUNCHER
  XINGHE_LAUNCHER=$(windows_path "$launcher")
else
  echo "run-wine-tests: no xinghe-launcher.exe in $BUILD_DIR" >&2
fi

total_passed=0
total_failed=0

for program in "${PROGRAMS[@]}"; do
  exe=$(find_program "$program" || true)
  if [ -z "$exe" ]; then
    echo "run-wine-tests: $program was not built" >&2
    total_failed=$((total_failed + 1))
    continue
  fi
  out="$work/${program%.exe}.log"
  echo "run-wine-tests: $program"
  (cd "$work" && timeout "$SUITE_TIMEOUT" "$WINE" "$exe" --gtest_color=no) 2>&1 | tr -d '\r' >"$out"
  status=${PIPESTATUS[0]}
  cat "$out"

  passed=$(sed -n 's/^\[  PASSED  \] \([0-9][0-9]*\) tests\{0,1\}\..*/\1/p' "$out" | tail -n 1)
  failed=$(sed -n 's/^\[  FAILED  \] \([0-9][0-9]*\) tests\{0,1\},.*/\1/p' "$out" | tail -n 1)
  passed=${passed:-0}
  failed=${failed:-0}
  if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then
    # Crashed, hung or ended before its summary: that counts as a failure of its own.
    echo "run-wine-tests: $program ended with status $status without reporting a failed test" >&2
    failed=1
  fi
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
done

# The login window and its pop-up as real windows on this display, checked by screenshots.
login_probe=$(find_program login_win32/xinghe-login-probe.exe || true)
if [ -z "$login_probe" ]; then
  echo "run-wine-tests: login_win32/xinghe-login-probe.exe was not built" >&2
  total_failed=$((total_failed + 1))
else
  out="$work/login-gui.log"
  echo "run-wine-tests: login window GUI check"
  timeout "$SUITE_TIMEOUT" python3 "$ROOT/tests/login_win32/check_login_gui.py" "$login_probe" \
    "$ROOT/resources/images" 2>&1 | tr -d '\r' >"$out"
  status=${PIPESTATUS[0]}
  cat "$out"
  passed=$(sed -n 's/^login-gui: \([0-9][0-9]*\) passed, \([0-9][0-9]*\) failed$/\1/p' "$out" | tail -n 1)
  failed=$(sed -n 's/^login-gui: \([0-9][0-9]*\) passed, \([0-9][0-9]*\) failed$/\2/p' "$out" | tail -n 1)
  passed=${passed:-0}
  failed=${failed:-0}
  if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then
    echo "run-wine-tests: the login window GUI check ended with status $status" >&2
    failed=1
  fi
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  # The probe's Windows process may outlive its loader when a check fails early.
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
fi

echo "wine: $total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
