#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test MoxenoTrellin, if missing.
# "install-deps.sh fuzz" installs what `make fuzz` needs besides: clang and libFuzzer.
set -euo pipefail

packages=(
    cmake make g++ pkg-config
    qt6-base-dev libxtst-dev libx11-dev libfontconfig-dev
    libclang-rt-14-dev  # FuzzedDataProvider.h: the fuzz targets also run as tests
    xvfb xauth openbox xdotool xclip x11-utils x11-xkb-utils xterm tk
    fonts-dejavu-core
    libxkbcommon-dev
    poppler-utils
    dbus-daemon
    librsvg2-bin dpkg-dev file lintian desktop-file-utils appstream
)
if [ "${1:-}" = fuzz ]; then
    packages=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
