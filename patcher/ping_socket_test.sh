#!/bin/sh
# Runs a test program the way a player without privileges meets the latency
# probe on a system that admits unprivileged ping sockets: raw ICMP sockets
# refused (CAP_NET_RAW dropped), ping sockets allowed
# (net.ipv4.ping_group_range open to every group). Both are set in a network
# namespace of the run's own, with its loopback up, so nothing outside it
# changes. Exits 77 (skipped) where such a namespace cannot be made.
#
#   ping_socket_test.sh PROGRAM [ARGS...]
set -u
for tool in unshare capsh ip bash; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is missing"
        exit 77
    fi
done
if ! unshare -n true 2>/dev/null; then
    echo "skipped: no network namespace can be made here (unshare -n needs root)"
    exit 77
fi
TESMAR_REQUIRE_PING_WAY="ping socket"
export TESMAR_REQUIRE_PING_WAY
exec unshare -n sh -c '
    ip link set lo up || exit 1
    if ! echo "0 2147483647" > /proc/sys/net/ipv4/ping_group_range; then
        echo "skipped: net.ipv4.ping_group_range cannot be set in the namespace"
        exit 77
    fi
    exec capsh --drop=cap_net_raw -- -c "exec \"\$@\"" ping-socket-run "$@"
' ping-socket-namespace "$@"
