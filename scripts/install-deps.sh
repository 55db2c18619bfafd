#!/usr/bin/env bash
# Installs everything the two builds and their tests need on Debian 12.
# Safe to run again: every step checks whether its work is already done.
set -euo pipefail

DEPS_PREFIX=${XINGHE_DEPS:-/opt/xinghe-deps}
MINGW_PREFIX="$DEPS_PREFIX/i686-w64-mingw32"
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo

log() { printf '[deps] %s\n' "$*"; }

PACKAGES=(
  build-essential cmake ninja-build pkg-config git python3 ca-certificates
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 libz-mingw-w64-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libgtk-3-dev libwebkit2gtk-4.1-dev libcurl4-openssl-dev libssl-dev
  libminizip-dev zlib1g-dev libcpp-httplib-dev libx11-dev
  xvfb openbox tint2 xdotool x11-utils imagemagick fonts-wqy-microhei
  dpkg-dev curl
  wine wine64 wine32:i386
)

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  log "adding the i386 architecture for 32-bit Wine"
  $SUDO dpkg --add-architecture i386
  need_update=1
fi

# The zlib source package carries minizip, which Debian does not build for MinGW.
SRC_FILE=/etc/apt/sources.list.d/debian.sources
if [ -f "$SRC_FILE" ] && ! grep -q '^Types:.*deb-src' "$SRC_FILE"; then
  log "enabling source packages in $SRC_FILE"
  $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' "$SRC_FILE"
  need_update=1
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  need_update=1
fi
if ((need_update)) || [ ! -d /var/lib/apt/lists ] || [ -z "$(ls /var/lib/apt/lists 2>/dev/null | grep -i debian)" ]; then
  log "apt-get update"
  $SUDO apt-get update -qq
fi
if ((${#missing[@]})); then
  log "installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

MINGW_CC=i686-w64-mingw32-gcc-posix
MINGW_CXX=i686-w64-mingw32-g++-posix

# minizip for MinGW, built from Debian's zlib source.
if [ ! -f "$MINGW_PREFIX/lib/libminizip.a" ]; then
  log "building minizip for MinGW"
  work=$(mktemp -d)
  (
    cd "$work"
    apt-get source -qq --download-only zlib=1:1.2.13.dfsg-1 >/dev/null 2>&1 || apt-get source -qq --download-only zlib=1:1.2.13.dfsg-1
    dpkg-source -x --skip-patches zlib_1.2.13.dfsg-1.dsc zsrc >/dev/null
    cd zsrc/contrib/minizip
    for f in unzip.c ioapi.c zip.c; do
      $MINGW_CC -O2 -DNOCRYPT -DNOUNCRYPT -DIOAPI_NO_64 -I. -c "$f" -o "${f%.c}.o"
    done
    i686-w64-mingw32-ar rcs libminizip.a unzip.o ioapi.o zip.o
    $SUDO mkdir -p "$MINGW_PREFIX/lib" "$MINGW_PREFIX/include/minizip"
    $SUDO cp libminizip.a "$MINGW_PREFIX/lib/"
    $SUDO cp unzip.h ioapi.h zip.h crypt.h "$MINGW_PREFIX/include/minizip/"
  )
  rm -rf "$work"
fi

# GoogleTest for MinGW, from the source Debian ships with the googletest package.
if [ ! -f "$MINGW_PREFIX/lib/libgtest.a" ]; then
  log "building GoogleTest for MinGW"
  work=$(mktemp -d)
  cmake -S /usr/src/googletest -B "$work" -G Ninja \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_C_COMPILER=$MINGW_CC -DCMAKE_CXX_COMPILER=$MINGW_CXX \
    -DCMAKE_RC_COMPILER=i686-w64-mingw32-windres -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$MINGW_PREFIX" -Dgtest_disable_pthreads=OFF -DBUILD_GMOCK=ON >/dev/null
  cmake --build "$work" >/dev/null
  $SUDO cmake --install "$work" >/dev/null
  rm -rf "$work"
fi

# cpp-httplib's single header for the MinGW tests: Debian's package splits it into a library
# built for the host, so the header is taken from the package's source.
if [ ! -f "$MINGW_PREFIX/include/httplib.h" ]; then
  log "taking httplib.h from the cpp-httplib source package"
  work=$(mktemp -d)
  (
    cd "$work"
    apt-get source -qq --download-only cpp-httplib >/dev/null 2>&1 || apt-get source -qq --download-only cpp-httplib
    dpkg-source -x cpp-httplib_*.dsc hsrc >/dev/null 2>&1
    $SUDO mkdir -p "$MINGW_PREFIX/include"
    $SUDO cp hsrc/httplib.h "$MINGW_PREFIX/include/"
  )
  rm -rf "$work"
fi

log "done"
