#!/usr/bin/env bash
# Installs what building and testing Kelvane needs on Debian 12 (run as root). Idempotent:
# installs only what is missing.
set -eu
packages=(cmake g++ make googletest libgtest-dev libbenchmark-dev clang-format
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64
  xvfb xauth x11-utils xdotool trayer imagemagick fonts-liberation nsis python3)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi
