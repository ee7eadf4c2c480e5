#!/usr/bin/env bash
# Runs a command next to a private vsftpd, reachable only through a TAP
# device, and removes everything it started when the command ends (also on
# failure or interruption).
#
#   tools/vsftpd-run.sh [-k] COMMAND [ARGS...]
#
# Set-up, all inside a fresh network namespace:
#   TAP device $WHARF_TAP (default wharf0), address 10.77.0.1/24: the
#   kernel's side. The library behind the TAP device uses 10.77.0.2.
#   vsftpd on 10.77.0.1 port 21, active mode only (data from port 20),
#   anonymous login (root anon/, writable folder anon/pub) and user
#   "wharf" / password "kerf2024" (a virtual user in a user database with
#   a PAM service of its own, mapped to the system's "ftp" account, root user/).
#   COMMAND runs inside the namespace with FTP_ROOT (the server's folders),
#   FTP_SERVER, FTP_CLIENT_IP, FTP_TAP, FTP_USER, FTP_PASSWORD and
#   VSFTPD_PID in its environment.
# -k keeps the server's folders for inspection (printed at the end).
set -u
keep=0
if [ "${1:-}" = "-k" ]; then keep=1; shift; fi
[ $# -ge 1 ] || { echo "usage: $0 [-k] COMMAND [ARGS...]" >&2; exit 2; }
# Outside CI a machine without the means skips the test (77); CI runs as
# root with everything installed, so there a missing piece is a failure.
cannot=77
[ -n "${CI:-}" ] && cannot=1
[ "$(id -u)" -eq 0 ] || { echo "$0: needs root (network namespace, TAP device)" >&2; exit $cannot; }
[ -x /usr/sbin/vsftpd ] || { echo "$0: vsftpd is not installed" >&2; exit $cannot; }
command -v db_load >/dev/null || { echo "$0: db_load (package db-util) is not installed" >&2; exit $cannot; }

here=$(cd "$(dirname "$0")" && pwd)
ns=wharf-ftp-$$
tap=${WHARF_TAP:-wharf0}
server_ip=10.77.0.1
client_ip=10.77.0.2
user=wharf
password=kerf2024
pam_service=wharf-ftp-$$
root=$(mktemp -d /tmp/wharf-vsftpd-XXXXXX)
vsftpd_pid=

cleanup() {
  local status=$?
  [ -n "$vsftpd_pid" ] && kill -CONT "$vsftpd_pid" 2>/dev/null
  [ -n "$vsftpd_pid" ] && kill "$vsftpd_pid" 2>/dev/null && wait "$vsftpd_pid" 2>/dev/null
  # vsftpd's session processes live in the namespace too.
  for pid in $(ip netns pids "$ns" 2>/dev/null); do kill -9 "$pid" 2>/dev/null; done
  ip netns del "$ns" 2>/dev/null
  rm -f "/etc/pam.d/$pam_service"
  if [ $keep -eq 1 ]; then echo "server folders kept in $root" >&2; else rm -rf "$root"; fi
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Leftovers of runs that were killed outright (no trap runs on SIGKILL).
for old in $(ip netns list 2>/dev/null | awk '/^wharf-ftp-[0-9]+/{print $1}'); do
  pid=${old#wharf-ftp-}
  if ! kill -0 "$pid" 2>/dev/null; then
    for p in $(ip netns pids "$old" 2>/dev/null); do kill -9 "$p" 2>/dev/null; done
    ip netns del "$old" 2>/dev/null
    rm -f "/etc/pam.d/$old"
  fi
done

# Network: a namespace with loopback and the TAP device.
ip netns add "$ns" || exit 1
ip -n "$ns" link set lo up
ip -n "$ns" tuntap add dev "$tap" mode tap || exit 1
ip -n "$ns" addr add "$server_ip/24" dev "$tap"
ip -n "$ns" link set "$tap" up

# Folders: the anonymous root must not be writable by the ftp account.
mkdir -p "$root/anon/pub" "$root/user" "$root/empty"
chown ftp "$root/anon/pub" "$root/user"
chmod 755 "$root" "$root/anon" "$root/empty"

# The virtual user's check: a user database and a PAM service of this run
# only (pam_userdb).
printf '%s\n%s\n' "$user" "$password" | db_load -T -t hash "$root/users.db" || exit 1
cat > "/etc/pam.d/$pam_service" <<PAM
auth required pam_userdb.so db=$root/users
account required pam_userdb.so db=$root/users
PAM

cat > "$root/vsftpd.conf" <<CONF
listen=YES
listen_ipv6=NO
listen_address=$server_ip
background=NO
anonymous_enable=YES
anon_root=$root/anon
anon_upload_enable=YES
anon_mkdir_write_enable=YES
anon_other_write_enable=YES
anon_umask=022
no_anon_password=YES
local_enable=YES
write_enable=YES
local_umask=022
guest_enable=YES
guest_username=ftp
virtual_use_local_privs=YES
local_root=$root/user
chroot_local_user=YES
allow_writeable_chroot=YES
pam_service_name=$pam_service
port_enable=YES
connect_from_port_20=YES
pasv_enable=NO
seccomp_sandbox=NO
isolate=NO
isolate_network=NO
secure_chroot_dir=$root/empty
xferlog_enable=NO
dirmessage_enable=NO
use_localtime=NO
idle_session_timeout=600
data_connection_timeout=600
CONF

ip netns exec "$ns" /usr/sbin/vsftpd "$root/vsftpd.conf" &
vsftpd_pid=$!
# Wait (bounded) until the server listens.
for _ in $(seq 1 100); do
  ip netns exec "$ns" bash -c "exec 3<>/dev/tcp/$server_ip/21" 2>/dev/null && break
  kill -0 "$vsftpd_pid" 2>/dev/null || { echo "$0: vsftpd did not start" >&2; exit 1; }
  sleep 0.05
done

FTP_ROOT=$root FTP_SERVER=$server_ip FTP_CLIENT_IP=$client_ip FTP_TAP=$tap \
FTP_USER=$user FTP_PASSWORD=$password VSFTPD_PID=$vsftpd_pid \
  ip netns exec "$ns" "$@"
