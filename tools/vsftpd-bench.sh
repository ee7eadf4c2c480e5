#!/usr/bin/env bash
# FTP throughput: a 5 MB download and upload through the Wharf library over
# the TAP link (hostsim ftp, wharfCont called back to back), measured against
# the client's own ceilings: its receive ring of 1072 bytes lets at most that
# much travel per round trip, and it takes one frame per wharfCont call, so
# a call with a frame waiting moves at most one 536-byte segment. curl moving
# the same file over the kernel's own TCP to the same vsftpd is printed
# beside it for scale. Figures are marked with BENCH_RUN (native or
# emulated) when tools/bench.sh sets it, with the date and the load.
#
# The round trip is timed in the same run, on the server's side of the TAP
# device (a capture of the device, so the library records nothing): the
# server's SYN of a data connection to the library's SYN-ACK, which is the
# way through the device and back, the library's polling included. One
# session lists the folder eight times; its first data connection is left
# out (under the emulator the first pass through that code translates it),
# the median of the other seven counts.
#
# The transfers run after the login (a PWD first), so the rates are those
# of the data connections and their commands. hostsim reports the processor
# time of each transfer; with wharfCont called back to back the process
# never blocks, so the rest of the wall-clock time it waited for a
# processor, which on a loaded machine is most of it.
#   tools/vsftpd-bench.sh [BUILD]
set -u
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
if [ "$(id -u)" -ne 0 ]; then
  echo "ftp bench: needs root (network namespace, TAP device); skipped"
  exit 0
fi
command -v dumpcap >/dev/null && command -v tshark >/dev/null ||
  { echo "ftp bench: needs dumpcap and tshark (package tshark)"; exit 1; }
hostsim=$(cd "$build" && pwd)/bin/hostsim
exec "$here/vsftpd-run.sh" bash -c '
set -u
hostsim=$1
size=5000000
work=$(mktemp -d /tmp/wharf-bench-XXXXXX)
capture_pid=
trap "[ -n \"\$capture_pid\" ] && kill \$capture_pid 2>/dev/null; rm -rf $work" EXIT
head -c $size /dev/urandom > "$FTP_ROOT/user/bench.bin"
cp "$FTP_ROOT/user/bench.bin" "$work/up.bin"
login=(--server "$FTP_SERVER" --own-ip "$FTP_CLIENT_IP" --tap "$FTP_TAP" --user "$FTP_USER" --password "$FTP_PASSWORD")
load() { cut -d" " -f1 /proc/loadavg; }

# Round trip: the capture runs only around the listing session.
dumpcap -q -i "$FTP_TAP" -w "$work/rtt.pcapng" >/dev/null 2>&1 &
capture_pid=$!
for k in $(seq 50); do [ -s "$work/rtt.pcapng" ] && break; sleep 0.1; done
sleep 0.2
"$hostsim" ftp --spin "${login[@]}" dir dir dir dir dir dir dir dir >/dev/null 2>&1
sleep 0.2
kill $capture_pid; wait $capture_pid 2>/dev/null; capture_pid=
rtts=$(tshark -r "$work/rtt.pcapng" -Y "ip.src == $FTP_CLIENT_IP && tcp.dstport == 20 && \
       tcp.flags.syn == 1 && tcp.flags.ack == 1 && tcp.analysis.ack_rtt" \
       -T fields -e tcp.analysis.ack_rtt 2>/dev/null | tail -n +2)
rtt=$(echo "$rtts" | sort -g | awk "NF {v[++n] = \$1} END {if (n) print v[int((n + 1) / 2)]}")
[ -n "$rtt" ] || { echo "ftp bench: no handshake round trip measured"; exit 1; }

load0=$(load)
out=$("$hostsim" ftp --spin "${login[@]}" pwd get bench.bin "$work/down.bin" put "$work/up.bin" bench-up.bin 2>/dev/null)
load1=$(load)
cmp -s "$work/down.bin" "$FTP_ROOT/user/bench.bin" || { echo "ftp bench: download differs"; exit 1; }
cmp -s "$work/up.bin" "$FTP_ROOT/user/bench-up.bin" || { echo "ftp bench: upload differs"; exit 1; }
lines=$(echo "$out" | grep "^moved")
down=$(echo "$lines" | sed -n 1p)
up=$(echo "$lines" | sed -n 2p)
t0=$(date +%s.%N)
curl -s -u "$FTP_USER:$FTP_PASSWORD" --ftp-port - -o "$work/curl-down.bin" "ftp://$FTP_SERVER/bench.bin"
t1=$(date +%s.%N)
curl -s -u "$FTP_USER:$FTP_PASSWORD" --ftp-port - -T "$work/up.bin" "ftp://$FTP_SERVER/curl-up.bin"
t2=$(date +%s.%N)
cmp -s "$work/curl-down.bin" "$FTP_ROOT/user/bench.bin" || { echo "ftp bench: curl download differs"; exit 1; }
curl_down=$(echo "$size $t0 $t1" | awk "{printf \"%.2f\", \$1 / (\$3 - \$2) / 1e6}")
curl_up=$(echo "$size $t1 $t2" | awk "{printf \"%.2f\", \$1 / (\$3 - \$2) / 1e6}")

field() { echo "$1" | sed -E "s/$2/\1/"; }
mbs() { field "$1" ".*\(([0-9.]+) MB\/s\).*"; }
seconds() { field "$1" "^moved [0-9]+ bytes in ([0-9.]+) s.*"; }
processor() { field "$1" ".*, ([0-9.]+) s on a processor.*"; }
per_call() { field "$1" ".*\(([0-9.]+) bytes per call\).*"; }
per_frame() { field "$1" ".*\(([0-9.]+) bytes per call with a frame\).*"; }
pct() { echo "$1 $2" | awk "{printf \"%.0f\", 100 * \$1 / \$2}"; }
ratio() { echo "$1 $2" | awk "{printf \"%.3f\", \$1 / \$2}"; }
run=${BENCH_RUN:-unlabelled}
ceiling=$(echo "$rtt" | awk "{printf \"%.2f\", 1072 / \$1 / 1e6}")
printf "ftp run: %s, %s, load %s before the transfers and %s after\n" "$run" "$(date -u "+%Y-%m-%d %H:%M UTC")" "$load0" "$load1"
printf "ftp round trip (server SYN to library SYN-ACK through the TAP device, median of %d): %.1f us, %s\n" \
  "$(echo "$rtts" | grep -c .)" "$(echo "$rtt" | awk "{print \$1 * 1e6}")" "$run"
printf "ftp ceiling: 1072 bytes per round trip = %s MB/s; 536 bytes per wharfCont call with a frame\n" "$ceiling"
for dir in download upload; do
  line=$down; c=$curl_down
  [ $dir = upload ] && { line=$up; c=$curl_up; }
  wall=$(seconds "$line"); cpu=$(processor "$line")
  # A download takes a segment with each frame (at most 536 bytes); an
  # upload takes acknowledgments, each of which frees up to two segments.
  framed="$(per_frame "$line") bytes per call with a frame ($(pct "$(per_frame "$line")" 536)% of 536)"
  [ $dir = upload ] && framed="$(per_frame "$line") bytes per call with a frame (an acknowledgment)"
  printf "ftp 5 MB %-9s Wharf %s MB/s (%s%% of the ceiling), %s, %s bytes per call; on a processor %s%% of the time (%s MB per processor second); curl %s MB/s (ratio %s); %s\n" \
    "$dir:" "$(mbs "$line")" "$(pct "$(mbs "$line")" "$ceiling")" "$framed" \
    "$(per_call "$line")" "$(pct "$cpu" "$wall")" \
    "$(echo "$size $cpu" | awk "{printf \"%.2f\", \$1 / \$2 / 1e6}")" "$c" "$(ratio "$(mbs "$line")" "$c")" "$run"
done
' bench "$hostsim"
