#!/usr/bin/env bash
# netns-down.sh NAMESPACE   removes the namespace (and the TAP interface in it)
# netns-down.sh --stale     removes every namespace named wharf-tcpip-<pid>
#                           whose process no longer runs
# Never fails on a namespace that is already gone.
set -u
remove() {
  ip netns del "$1" 2>/dev/null || true
}
if [ "${1:-}" = "--stale" ]; then
  for ns in $(ip netns list 2>/dev/null | awk '{print $1}' | grep -E '^wharf-tcpip-[0-9]+$' || true); do
    pid=${ns##*-}
    if ! kill -0 "$pid" 2>/dev/null; then remove "$ns"; fi
  done
  exit 0
fi
if [ $# -ne 1 ]; then
  echo "usage: $0 NAMESPACE | --stale" >&2
  exit 2
fi
remove "$1"
exit 0
