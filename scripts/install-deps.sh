#!/usr/bin/env bash
# Installs the Debian packages Velmora needs to build, run and test, when they are missing.
# Uses sudo when not run as root.
set -eu
packages=(
    # build
    g++ make cmake pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev libglib2.0-dev
    libjpeg62-turbo-dev libx11-dev
    # run: Japanese fonts for the user interface
    fonts-ipafont-gothic fonts-ipafont-mincho
    # tests: an X server, a window manager, D-Bus, GSettings with dconf, screen readers
    xvfb x11-apps x11-utils openbox dbus dbus-x11 dconf-gsettings-backend dconf-cli
    gsettings-desktop-schemas libglib2.0-bin xdotool imagemagick
    # desktop tests: each desktop's own component, run for real under Xvfb or headless sway
    libxrandr-dev xfdesktop4 xfconf caja pcmanfm pcmanfm-qt sway swaybg grim picom
    cinnamon-desktop-data mate-desktop-common
    # a JavaScript engine for the stand-in Plasma shell that checks the scripts sent to it
    qt6-declarative-dev
    # fault tests: system calls made to fail on purpose
    fiu-utils
    # fuzzing: clang with libFuzzer
    clang libclang-rt-14-dev
    # benchmark: libjpeg-turbo's own tools to compare with
    libjpeg-turbo-progs time
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
