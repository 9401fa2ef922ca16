#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the benchmarks need.
# Idempotent: packages already present are not fetched again, and the package lists
# are refreshed at most once per call, only when something is missing.
# Works as root and as a normal user with sudo.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config git
  # libraries
  zlib1g-dev libssl-dev libgtest-dev libgmock-dev googletest
  # fuzzing (libFuzzer ships with clang's runtime)
  clang libclang-rt-14-dev
  # real peers and tools used by the tests and benchmarks
  nginx-light openssl curl zip unzip p7zip-full libarchive-tools python3 aria2 time hyperfine bc bsdutils
  # the windows: Qt 6 Widgets and WebEngine, Qt's own Chinese texts, CJK fonts, an X server and a driver
  # for end-to-end runs
  qt6-base-dev qt6-webengine-dev libqt6opengl6-dev libgl-dev libxkbcommon-dev qt6-qpa-plugins qt6-translations-l10n fonts-wqy-zenhei fonts-noto-cjk
  xvfb xauth xdotool x11-utils imagemagick procps
  # the Windows build: MinGW-w64 (posix threads), its zlib, Wine to run the tests, and
  # the zh_CN.UTF-8 locale that gives Wine the ANSI code page 936
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 locales
)

if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
else
  SUDO=(sudo)
fi

missing=()
for pkg in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "setup: all packages present"
else
  echo "setup: installing ${missing[*]}"
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine takes its code pages from the locale: without zh_CN.UTF-8 it falls back to 1252.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  echo "setup: generating the zh_CN.UTF-8 locale"
  "${SUDO[@]}" localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
