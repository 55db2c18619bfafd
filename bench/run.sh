#!/usr/bin/env bash
# Builds the benchmark program into the Linux build and prints the table of measurements.
#   bench/run.sh [--runs N] [row...]     rows: md5 download cache exe startup (default: all)
# The startup rows run on a private headless desktop (scripts/with-desktop.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/linux/build.ninja ] || cmake --preset linux -DXINGHE_BUILD_DEMO=OFF >/dev/null
cmake --build build/linux -j2 --target xinghe-bench >/dev/null
exec build/linux/bench/xinghe-bench "$@"
