#!/bin/sh
# Checks that every peer the tests talk to is installed, and stops at the
# first one that is missing with a line naming the Debian package to install.
# A machine that once had a package installed by hand must not hide a
# missing install step, so each peer is tried the way the tests use it.
set -eu

missing() {
    echo "Test peer missing: $1 (install the Debian package $2)" >&2
    exit 1
}

python_module() {
    /usr/bin/python3 -c "import $1" 2>/dev/null || missing "python module $1" "$2"
}

program() {
    command -v "$1" >/dev/null 2>&1 || missing "program $1" "$2"
}

[ -x /usr/bin/python3 ] || missing "program /usr/bin/python3" python3
python_module pymodbus python3-pymodbus
python_module serial python3-serial
python_module serial_asyncio python3-serial-asyncio
python_module "pymodbus.server.async_io" python3-pymodbus
python_module pyftpdlib python3-pyftpdlib
program socat socat
program Xvfb xvfb
program xvfb-run xvfb
program xauth xauth
program unshare util-linux
program ip iproute2
pkg-config --exists libmodbus 2>/dev/null || missing "libmodbus headers" libmodbus-dev
[ -f /usr/include/modbus/modbus.h ] || missing "libmodbus headers" libmodbus-dev
