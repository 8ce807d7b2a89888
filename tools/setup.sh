#!/usr/bin/env bash
# Installs what building and testing Kelvane needs on Debian 12 (run as root). Idempotent:
# installs only what is missing.
#
# A mirror caught mid-sync must not stop the set-up: an index that fails to download is
# ignored with a warning (apt keeps the lists it has), an install refused because the newest
# candidates come from a suite whose i386 twins are missing is tried again pinned to the
# release, and where the 32-bit Wine still cannot be installed, the rest is installed without
# it and the Wine tests run the 64-bit build (tests/wine/wine-env.sh picks it by itself).
set -u
packages=(cmake g++ make googletest libgtest-dev libbenchmark-dev clang-format
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64
  xvfb xauth x11-utils xdotool xinput trayer imagemagick fonts-liberation nsis python3)
wine32=wine32:i386

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

release=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
release=${release:-bookworm}

install() {  # install PACKAGE...: as it is, then pinned to the release
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$@" && return 0
  echo "setup: warning: the install was refused; trying again with the $release suite's packages" >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q -t "$release" "$@"
}

echo "Installing: ${missing[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -q ||
  echo "setup: warning: some package indexes failed to download (a mirror mid-sync?); going on with the lists apt has" >&2
install "${missing[@]}" && exit 0

rest=()
for p in "${missing[@]}"; do [ "$p" = "$wine32" ] || rest+=("$p"); done
if [ ${#rest[@]} -eq ${#missing[@]} ]; then
  echo "setup: error: the packages above cannot be installed" >&2
  exit 1
fi
echo "setup: warning: the 32-bit Wine cannot be installed; installing the rest without it" >&2
if [ ${#rest[@]} -gt 0 ] && ! install "${rest[@]}"; then
  echo "setup: error: the packages above cannot be installed" >&2
  exit 1
fi
echo "setup: the Wine tests will run the 64-bit build: no 32-bit Wine on this machine" >&2
exit 0
