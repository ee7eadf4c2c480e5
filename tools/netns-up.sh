#!/usr/bin/env bash
# netns-up.sh NAMESPACE TAP ADDRESS/PREFIX
# Creates the private network namespace NAMESPACE, moves the TAP interface
# TAP (opened by the calling process) into it and gives the kernel's side
# ADDRESS. The kernel in the namespace is then the peer of whatever the
# process sends through the TAP device. IPv6 is switched off in the
# namespace so that only the test's own traffic crosses the link.
# Installs iproute2, iputils-ping and tshark when missing; on any failure the namespace is
# removed again and the script exits non-zero with the reason.
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: $0 NAMESPACE TAP ADDRESS/PREFIX" >&2
  exit 2
fi
ns=$1 tap=$2 address=$3
here=$(cd "$(dirname "$0")" && pwd)

# Tools of the run: ip for the namespace, ping and tshark for the checks.
missing=()
for need in ip:iproute2 ping:iputils-ping tshark:tshark; do
  command -v "${need%%:*}" >/dev/null 2>&1 || missing+=("${need#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "netns-up: missing ${missing[*]}; installing needs root" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq "${missing[@]}" >/dev/null ||
    { apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null; }
fi

cleanup_on_failure() {
  status=$?
  if [ $status -ne 0 ]; then
    echo "netns-up: failed (status $status); removing namespace $ns" >&2
    "$here/netns-down.sh" "$ns" || true
  fi
}
trap cleanup_on_failure EXIT

# Namespaces left behind by a test process that died.
"$here/netns-down.sh" --stale

ip netns add "$ns"
ip link set "$tap" netns "$ns"
ip netns exec "$ns" sysctl -q -w net.ipv6.conf.all.disable_ipv6=1 >/dev/null 2>&1 || true
ip netns exec "$ns" sysctl -q -w "net.ipv6.conf.$tap.disable_ipv6=1" >/dev/null 2>&1 || true
ip -n "$ns" link set lo up
ip -n "$ns" addr add "$address" dev "$tap"
ip -n "$ns" link set "$tap" up
