#!/usr/bin/env bash
# Runs a command on a private headless desktop: Xvfb, the openbox window manager and a
# tint2 panel (with its system tray) at the bottom. Everything it starts is stopped again.
# Usage: scripts/with-desktop.sh [--size WxH] command [args...]
set -uo pipefail
size=1280x800
if [ "${1:-}" = "--size" ]; then size=$2; shift 2; fi

display=""
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "with-desktop: no free display" >&2; exit 1; }

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; }
trap cleanup EXIT INT TERM

Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp -ac >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display

cfg=$(mktemp -d)
cat > "$cfg/tint2rc" <<'TINT'
panel_items = TS
panel_position = bottom center horizontal
panel_size = 100% 30
panel_dock = 0
strut_policy = follow_size
panel_background_id = 0
systray_padding = 2 2 4
systray_icon_size = 22
taskbar_mode = single_desktop
TINT
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
tint2 -c "$cfg/tint2rc" >/dev/null 2>&1 &
pids+=($!)
sleep 1

"$@"
status=$?
rm -rf "$cfg"
exit $status
