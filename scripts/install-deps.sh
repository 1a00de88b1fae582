#!/bin/sh
# Installs the Debian 12 packages that building and running (argument "run")
# or building and testing (argument "test") need. Only missing packages are
# installed, so calling it again is cheap.
set -eu

build_packages="cmake g++ make pkg-config ccache
    qtbase5-dev qtdeclarative5-dev qtquickcontrols2-5-dev
    libqt5serialport5-dev libqt5serialbus5-dev libqt5sql5 libqt5xml5
    libsqlcipher-dev libssl-dev libcurl4-openssl-dev
    qml-module-qtquick2 qml-module-qtquick-controls2 qml-module-qtquick-layouts
    qml-module-qtquick-window2 libqt5svg5
    fonts-dejavu-core fonts-dejavu-extra fonts-font-awesome"

# Without a display, ./run.sh shows the window on Xvfb and takes a screenshot.
headless_packages="xvfb xauth x11-utils imagemagick"

test_packages="qml-module-qttest xvfb xauth iproute2 util-linux
    python3 python3-pymodbus python3-serial python3-serial-asyncio python3-pyftpdlib
    libmodbus-dev socat"

case "${1:-}" in
    run)  wanted="$build_packages $headless_packages" ;;
    test) wanted="$build_packages $test_packages" ;;
    *)    echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=""
for package in $wanted; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=""
else
    as_root="sudo"
fi
echo "Installing:$missing"
$as_root apt-get update -qq
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $missing
