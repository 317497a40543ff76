#!/usr/bin/env bash
# Installs everything the builds and tests need and cross-builds libjpeg for the
# Windows targets. Safe to run again: finished steps are skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"

packages=(cmake g++ make ninja-build libgtest-dev libbenchmark-dev libjpeg-dev libssl-dev
          nlohmann-json3-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb xauth
          imagemagick fonts-wqy-microhei fonts-wine xdotool python3 dpkg-dev clang clang-tidy locales
          wixl msitools)
. "$root/scripts/packages.sh"
ensure_packages "${packages[@]}"

# Wine takes the user locale from LANG; the Chinese one must exist on the system
# (zh_CN.UTF-8 gives locale 0804 and code page 936 inside Wine).
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$' || ! locale -a 2>/dev/null | grep -qi '^en_US\.utf-\?8$'; then
  if [ "$(id -u)" = 0 ]; then
    sed -i -E 's/^# *(zh_CN\.UTF-8 UTF-8|en_US\.UTF-8 UTF-8)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
    grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
  fi
fi

# libjpeg for MinGW: no package exists, so build the distribution's own source.
build_jpeg() {
  local arch=$1 prefix="$deps/libjpeg-$1"
  [ -f "$prefix/lib/libjpeg.a" ] && return 0
  local src
  src=$(ls -d "$deps"/src/libjpeg-turbo-*/ 2>/dev/null | head -n 1 || true)
  if [ -z "$src" ]; then
    mkdir -p "$deps/src"
    if ! grep -rqs '^Types: deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
      . /etc/os-release
      cat > /etc/apt/sources.list.d/wizard-deb-src.sources <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $VERSION_CODENAME $VERSION_CODENAME-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
      apt-get update -q || true
    fi
    (cd "$deps/src" && apt-get source -q --download-only libjpeg-turbo \
      && dpkg-source -x --no-check libjpeg-turbo_*.dsc >/dev/null)
    src=$(ls -d "$deps"/src/libjpeg-turbo-*/ | head -n 1)
  fi
  echo "setup: building libjpeg for $arch"
  cmake -S "$src" -B "$deps/build-jpeg-$arch" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
    -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -Wno-dev >/dev/null
  cmake --build "$deps/build-jpeg-$arch" --target jpeg-static >/dev/null
  mkdir -p "$prefix/lib" "$prefix/include"
  cp "$deps/build-jpeg-$arch/libjpeg.a" "$prefix/lib/"
  cp "$src/jpeglib.h" "$src/jerror.h" "$src/jmorecfg.h" "$deps/build-jpeg-$arch/jconfig.h" "$prefix/include/"
}
build_jpeg i686
build_jpeg x86_64
echo "setup: done"
