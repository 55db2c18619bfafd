#!/bin/sh
# Rebuilds every picture of the launcher from xinghe_art.c.
# Needs: a C compiler, pkg-config, libcairo2-dev, libpango1.0-dev, libpng-dev
# and fonts-wqy-microhei.  Writes resources/images/* and resources/icons/*.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
res=$(dirname "$here")

if ! fc-list | grep -q "WenQuanYi Micro Hei"; then
    echo "generate.sh: the font \"WenQuanYi Micro Hei\" is missing (fonts-wqy-microhei)" >&2
    exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cc -std=c11 -O2 -Wall -Wextra -Werror -o "$tmp/xinghe_art" "$here/xinghe_art.c" \
    $(pkg-config --cflags --libs cairo pangocairo libpng) -lm

mkdir -p "$res/images" "$res/icons"
"$tmp/xinghe_art" "$res/images" "$res/icons"

# the uninstall shortcut's icon must be the classic single 16x16 form
size=$(wc -c < "$res/icons/uninstall.ico")
if [ "$size" -ne 1150 ]; then
    echo "generate.sh: uninstall.ico is $size bytes, expected 1150" >&2
    exit 1
fi
