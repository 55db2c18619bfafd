#!/usr/bin/env bash
# Builds the benchmark programs into the Linux build and prints one table (Markdown).
#   bench/run.sh [--runs N] [row...]     rows: md5 download cache exe startup (default: all)
# Everything runs on a private headless desktop (scripts/with-desktop.sh) and, where this
# user may make one, in a network namespace of its own: the start-up rows serve the login
# page on the launcher's fixed loopback port, which the demo platform's tests also use.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/linux/build.ninja ] || cmake --preset linux -DXINGHE_BUILD_DEMO=OFF >/dev/null
cmake --build build/linux -j2 --target xinghe-bench >/dev/null
bench=(scripts/with-desktop.sh build/linux/bench/xinghe-bench "$@")
if unshare -n true 2>/dev/null; then
  exec unshare -n bash -c 'ip link set lo up && exec "$@"' bench "${bench[@]}"
fi
exec "${bench[@]}"
