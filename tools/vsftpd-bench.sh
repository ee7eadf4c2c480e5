#!/usr/bin/env bash
# FTP throughput: a 5 MB download and upload through the Wharf library over
# the TAP link (hostsim ftp, wharfCont called back to back), measured against
# the client's own ceilings: its receive ring of 1072 bytes lets at most that
# much travel per round trip (timed in the same run as the TCP handshake of
# a data connection, SYN-ACK to ACK, through the same TAP path), and it
# takes one frame per wharfCont call, so a call with a frame waiting moves at
# most one 536-byte segment. curl moving the same file over the kernel's own
# TCP to the same vsftpd is printed beside it for scale. Figures are marked
# with BENCH_RUN (native or emulated) when tools/bench.sh sets it.
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
login=(--server "$FTP_SERVER" --own-ip "$FTP_CLIENT_IP" --tap "$FTP_TAP" --user "$FTP_USER" --password "$FTP_PASSWORD")
# Round trip: the handshake of each of five data connections (the SYN-ACK of the library
# to the ACK of the server, as recorded at the library; the addresses are
# known by then, so no ARP exchange is timed with it); the median counts.
rtts=""
for k in 1 2 3 4 5; do
  "$hostsim" ftp --spin "${login[@]}" --pcap "$work/rtt$k.pcap" dir >/dev/null 2>&1
  rtt=$(tshark -r "$work/rtt$k.pcap" -Y "ip.src == $FTP_SERVER && tcp.srcport == 20 && tcp.flags.syn == 0 && \
        tcp.seq == 1 && tcp.ack == 1 && tcp.len == 0 && tcp.analysis.ack_rtt" \
        -T fields -e tcp.analysis.ack_rtt 2>/dev/null | head -1)
  [ -n "$rtt" ] && rtts="$rtts $rtt"
done
rtt=$(echo $rtts | tr " " "\n" | sort -g | awk "{v[NR] = \$1} END {if (NR) print v[int((NR + 1) / 2)]}")
[ -n "$rtt" ] || { echo "ftp bench: no handshake round trip measured"; exit 1; }
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
run=${BENCH_RUN:-unlabelled}
ceiling=$(echo "$rtt" | awk "{printf \"%.2f\", 1072 / \$1 / 1e6}")
per_frame() { echo "$1" | sed -E "s/.*\(([0-9.]+) bytes per call with a frame\).*/\1/"; }
pct() { echo "$1 $2" | awk "{printf \"%.0f\", 100 * \$1 / \$2}"; }
printf "ftp round trip (data connection handshake through the TAP device, median of %d): %.1f us, %s\n" \
  "$(echo $rtts | wc -w)" "$(echo "$rtt" | awk "{print \$1 * 1e6}")" "$run"
printf "ftp ceiling: 1072 bytes per round trip = %s MB/s; 536 bytes per wharfCont call with a frame\n" "$ceiling"
for dir in download upload; do
  line=$down; c=$curl_down
  [ $dir = upload ] && { line=$up; c=$curl_up; }
  printf "ftp 5 MB %-8s Wharf %s MB/s (%s%% of the ceiling), %s bytes per call with a frame (%s%% of 536), %s bytes per call; curl %s MB/s (ratio %s); %s\n" \
    "$dir:" "$(mbs "$line")" "$(pct "$(mbs "$line")" "$ceiling")" "$(per_frame "$line")" \
    "$(pct "$(per_frame "$line")" 536)" "$(per_call "$line")" "$c" "$(ratio "$(mbs "$line")" "$c")" "$run"
done
' bench "$hostsim"
