#!/usr/bin/env bash
# Runs the skinned-control GUI tests against the Windows probe under 32-bit Wine: the Linux
# test program drives xinghe-controls-probe.exe on a private desktop (Xvfb, openbox), in a
# throw-away Wine prefix. Both are removed at the end.
#
#   tests/controls/run-wine-gui-tests.sh [linux-build] [windows-build]
#       (defaults: build/linux and build/windows; both builds must be done)
#
# Extra arguments after the two folders go to the test program (e.g. --gtest_filter=...).
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
LINUX_BUILD=$(cd "${1:-$ROOT/build/linux}" && pwd) || exit 1
WINDOWS_BUILD=$(cd "${2:-$ROOT/build/windows}" && pwd) || exit 1
shift $(( $# < 2 ? $# : 2 ))

driver=$LINUX_BUILD/tests/controls/xinghe-controls-gui-tests
probe=$WINDOWS_BUILD/tests/controls/xinghe-controls-probe.exe
for f in "$driver" "$probe"; do
  [ -f "$f" ] || { echo "run-wine-gui-tests: $f is missing; build both presets first" >&2; exit 1; }
done

work=$(mktemp -d /tmp/xinghe-wine-gui.XXXXXX)
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all
cleanup() {
  /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

cat >"$work/run.sh" <<INNER
#!/usr/bin/env bash
# Without network the Mono and Gecko installers would stop wineboot at their prompts.
WINEDLLOVERRIDES="mscoree,mshtml=" /usr/lib/wine/wine wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }
/usr/lib/wine/wineserver -w
XINGHE_CONTROLS_PROBE="/usr/lib/wine/wine $probe" "$driver" "\$@"
status=\$?
/usr/lib/wine/wineserver -k >/dev/null 2>&1
exit \$status
INNER
chmod +x "$work/run.sh"
"$ROOT/scripts/with-desktop.sh" "$work/run.sh" "$@"
