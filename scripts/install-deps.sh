#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages Velmora needs, when they are missing. Uses sudo when not run
# as root.
#   install-deps.sh run       to build and run the program (make run)
#   install-deps.sh package   and to build the Debian package (make package)
#   install-deps.sh windows   to cross-build the Windows edition and test it under wine
#                             (make test-windows)
#   install-deps.sh test      and everything the tests and the benchmark use (make test)
set -eu
set_name=${1:-test}
run=(
    g++ make cmake pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev libglib2.0-dev
    libjpeg62-turbo-dev libx11-dev libxcb1-dev libxrandr-dev libmount-dev libudev-dev
    # Japanese fonts for the user interface
    fonts-ipafont-gothic fonts-ipafont-mincho
)
package=(
    # CPack finds the program with file and its library packages with dpkg-shlibdeps
    dpkg-dev file
)
windows=(
    g++ make cmake
    # mingw-w64 with posix threads, wine to run the tests, doctest for the core's tests and these
    g++-mingw-w64-x86-64-posix wine wine64 doctest-dev
    # an X server for the program's windows, xdotool to drive them, xwininfo and ImageMagick's
    # import to read them and the desktop back, a Japanese font
    xvfb xdotool x11-utils imagemagick fonts-ipafont-gothic
)
test=(
    # an X server, a window manager, D-Bus, GSettings with dconf, screen readers
    xvfb x11-apps x11-utils openbox dbus dbus-x11 dconf-cli dconf-gsettings-backend
    gsettings-desktop-schemas libglib2.0-bin xdotool imagemagick
    # desktop tests: each desktop's own component, run for real under Xvfb or headless sway
    xfdesktop4 xfconf caja pcmanfm pcmanfm-qt sway swaybg grim picom
    cinnamon-desktop-data mate-desktop-common
    # a JavaScript engine for the stand-in Plasma shell that checks the scripts sent to it
    qt6-declarative-dev
    # fault tests: system calls made to fail on purpose
    fiu-utils
    # fuzzing: clang with libFuzzer
    clang libclang-rt-14-dev
    # the package checked as a distribution would check it
    lintian appstream desktop-file-utils
    # screenshots in a dark theme (scripts/screenshots.sh)
    qt6ct
    # benchmark: libjpeg-turbo's own tools to compare with
    libjpeg-turbo-progs time
)
case "$set_name" in
run) packages=("${run[@]}") ;;
package) packages=("${run[@]}" "${package[@]}") ;;
windows) packages=("${windows[@]}") ;;
test) packages=("${run[@]}" "${package[@]}" "${windows[@]}" "${test[@]}") ;;
*)
    echo "usage: $0 run|package|windows|test" >&2
    exit 2
    ;;
esac
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
