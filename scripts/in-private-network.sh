#!/bin/sh
# Runs a command in a new network namespace that holds only the loopback
# interface and a veth pair (qveth0 10.77.0.1/24, qveth1 10.77.0.2/24), so a
# broadcast or a stray connection can never leave this machine.
set -eu

if [ "${QUELTA_PRIVATE_NETWORK:-}" = 1 ]; then
    exec "$@"
fi

if [ "${QUELTA_IN_NAMESPACE:-}" = 1 ]; then
    ip link set lo up
    ip link add qveth0 type veth peer name qveth1
    ip addr add 10.77.0.1/24 broadcast 10.77.0.255 dev qveth0
    ip addr add 10.77.0.2/24 broadcast 10.77.0.255 dev qveth1
    ip link set qveth0 up
    ip link set qveth1 up
    QUELTA_PRIVATE_NETWORK=1
    export QUELTA_PRIVATE_NETWORK
    exec "$@"
fi

QUELTA_IN_NAMESPACE=1
export QUELTA_IN_NAMESPACE

if [ "$(id -u)" -eq 0 ]; then
    exec unshare --net -- "$0" "$@"
fi
exec unshare --net --map-root-user -- "$0" "$@"
