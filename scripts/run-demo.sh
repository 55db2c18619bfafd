#!/usr/bin/env bash
# Runs the launcher against the local demo platform (demo/). With a display the player
# uses it as usual; on a headless machine it runs on a private desktop, logs in, picks a
# server and plays a little by itself, and leaves screenshots in out/demo-screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v cmake >/dev/null || ! pkg-config --exists webkit2gtk-4.1 2>/dev/null; then
  bash scripts/install-deps.sh
fi
cmake --preset linux >/dev/null
cmake --build --preset linux --target xinghe-launcher xinghe-demo

port=$(sed -n 's/^XINGHE_DEMO_PORT:STRING=//p' build/linux/CMakeCache.txt)
build/linux/xinghe-demo --port "$port" &
demo=$!
trap 'kill $demo 2>/dev/null; wait $demo 2>/dev/null' EXIT
for _ in $(seq 50); do curl -s -o /dev/null "http://127.0.0.1:$port/__demo/version" && break; sleep 0.1; done
if ! kill -0 "$demo" 2>/dev/null; then
  echo "The demo platform could not start on port $port (is another one running?)" >&2
  exit 1
fi

if [ -n "${DISPLAY:-}" ]; then
  echo "Demo platform on http://127.0.0.1:$port/ — log in with any account and password."
  build/linux/xinghe-launcher
  exit 0
fi

shots=$PWD/out/demo-screenshots
mkdir -p "$shots"
rm -f "$shots"/*.png
echo "No display: playing on a private desktop; screenshots go to $shots"
scripts/with-desktop.sh --size 1920x1080 bash -c '
  set -u
  shots=$1
  home=$(mktemp -d)
  HOME=$home XDG_DATA_HOME=$home/share XDG_CONFIG_HOME=$home/config setsid build/linux/xinghe-launcher &
  launcher=$!
  shot() { sleep "$2"; import -window root "$shots/$1.png"; echo "  $shots/$1.png"; }
  for _ in $(seq 100); do xdotool search --onlyvisible --name "^星河登录器$" >/dev/null 2>&1 && break; sleep 0.2; done
  shot 1-login 4
  xdotool type --delay 40 pilot7; xdotool key Tab; xdotool type --delay 40 secret; xdotool key Return
  shot 2-servers 3
  xdotool key 2
  shot 3-frame 8
  for k in Return Left Left Up Right Right Right Down; do xdotool key --delay 150 $k; done
  shot 4-playing 2
  kill -- -$launcher 2>/dev/null  # the launcher and the game host it started
  rm -rf "$home"
' _ "$shots"
