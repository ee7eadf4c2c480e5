#!/usr/bin/env bash
# FTP throughput: a 5 MB download and upload through the Wharf library over
# the TAP link (hostsim ftp, wharfCont called back to back), beside curl
# moving the same file over the kernel's own TCP to the same vsftpd in the
# same run.
#   tools/vsftpd-bench.sh [BUILD]
set -u
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
if [ "$(id -u)" -ne 0 ]; then
  echo "ftp bench: needs root (network namespace, TAP device); skipped"
  exit 0
fi
hostsim=$(cd "$build" && pwd)/bin/hostsim
exec "$here/vsftpd-run.sh" bash -c '
set -u
hostsim=$1
size=5000000
work=$(mktemp -d /tmp/wharf-bench-XXXXXX)
trap "rm -rf $work" EXIT
head -c $size /dev/urandom > "$FTP_ROOT/user/bench.bin"
cp "$FTP_ROOT/user/bench.bin" "$work/up.bin"
out=$("$hostsim" ftp --spin --server "$FTP_SERVER" --own-ip "$FTP_CLIENT_IP" --tap "$FTP_TAP" \
      --user "$FTP_USER" --password "$FTP_PASSWORD" \
      get bench.bin "$work/down.bin" put "$work/up.bin" bench-up.bin 2>/dev/null)
cmp -s "$work/down.bin" "$FTP_ROOT/user/bench.bin" || { echo "ftp bench: download differs"; exit 1; }
cmp -s "$work/up.bin" "$FTP_ROOT/user/bench-up.bin" || { echo "ftp bench: upload differs"; exit 1; }
lines=$(echo "$out" | grep "^moved")
down=$(echo "$lines" | sed -n 1p)
up=$(echo "$lines" | sed -n 2p)
mbs() { echo "$1" | sed -E "s/.*\(([0-9.]+) MB\/s\).*/\1/"; }
per_call() { echo "$1" | sed -E "s/.*\(([0-9.]+) bytes per call\).*/\1/"; }
t0=$(date +%s.%N)
curl -s -u "$FTP_USER:$FTP_PASSWORD" --ftp-port - -o "$work/curl-down.bin" "ftp://$FTP_SERVER/bench.bin"
t1=$(date +%s.%N)
curl -s -u "$FTP_USER:$FTP_PASSWORD" --ftp-port - -T "$work/up.bin" "ftp://$FTP_SERVER/curl-up.bin"
t2=$(date +%s.%N)
cmp -s "$work/curl-down.bin" "$FTP_ROOT/user/bench.bin" || { echo "ftp bench: curl download differs"; exit 1; }
curl_down=$(echo "$size $t0 $t1" | awk "{printf \"%.2f\", \$1 / (\$3 - \$2) / 1e6}")
curl_up=$(echo "$size $t1 $t2" | awk "{printf \"%.2f\", \$1 / (\$3 - \$2) / 1e6}")
ratio() { echo "$1 $2" | awk "{printf \"%.3f\", \$1 / \$2}"; }
printf "ftp 5 MB download: Wharf %s MB/s, %s bytes per wharfCont call; curl %s MB/s; ratio %s\n" \
  "$(mbs "$down")" "$(per_call "$down")" "$curl_down" "$(ratio "$(mbs "$down")" "$curl_down")"
printf "ftp 5 MB upload:   Wharf %s MB/s, %s bytes per wharfCont call; curl %s MB/s; ratio %s\n" \
  "$(mbs "$up")" "$(per_call "$up")" "$curl_up" "$(ratio "$(mbs "$up")" "$curl_up")"
' bench "$hostsim"
