#!/usr/bin/env bash
# Installs what building and testing need on Debian 12. Idempotent: when
# everything is present it prints nothing and touches nothing.
set -euo pipefail

packages=(
    g++ cmake make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-declarative-dev
    qml6-module-qtquick qml6-module-qtquick-window qml6-module-qtquick-controls
    qml6-module-qtquick-templates qml6-module-qtquick-layouts qml6-module-qtqml-workerscript
    qml6-module-qttest
    libhidapi-dev libudev-dev libgl-dev libxkbcommon-dev libx11-dev
    xvfb xdotool x11-apps imagemagick libglib2.0-bin libgl1-mesa-dri fonts-dejavu-core
    libxi-dev g++-mingw-w64-x86-64
    qt6-svg-dev qt6-declarative-dev-tools qml6-module-qtqml qml6-module-qtqml-models fonts-wqy-microhei
    weston xwayland qt6-wayland
    librsvg2-bin dpkg-dev desktop-file-utils appstream x11-utils
    x11-xserver-utils
    clang libclang-rt-14-dev
    dbus at-spi2-core python3-pyatspi
    help2man
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
