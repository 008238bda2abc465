#!/usr/bin/env bash
# Builds the Debian package (CPack) and installs it with apt: the program in
# the desktop's menu and software centre, the mouse's udev rule active, and
# each user's settings in ~/.local/share/kestrel-orbit/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" kestrel-orbit app_icons
rm -rf "$build/package"
(cd "$build" && cpack -G DEB -B "$build/package" >/dev/null)
deb="$(ls "$build"/package/kestrel-orbit_*.deb)"
echo "Package: $deb"

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "need root (or sudo) to install $deb" >&2; exit 1; }
    sudo="sudo"
fi
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --reinstall "$deb" >/dev/null
cat <<INFO
Installed: start "Kestrel Orbit" from the menu, or run kestrel-orbit.
Start at login, hidden in the tray (this user):
  mkdir -p ~/.config/autostart && cp /usr/share/kestrel-orbit/autostart/com.example.KestrelOrbit.desktop ~/.config/autostart/
Remove with: sudo apt-get remove kestrel-orbit
INFO
