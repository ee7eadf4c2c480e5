#!/usr/bin/env bash
# Makes sure 32-bit x86 programs start on this machine. Some kernels have
# their 32-bit emulation switched off; there every -m32 program (string-table
# compiler aside, everything the tests run) goes through Debian's user-mode
# emulator, registered with binfmt_misc so that it runs transparently.
#   EMULATE32=1 tools/setup-32bit.sh   use the emulator even where the kernel
#                                       runs 32-bit programs natively
# Where a probe program starts natively (and emulation is not asked for),
# nothing is changed: a registered handler would take precedence over the
# kernel's own loader.
set -eu
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/qemu-i386
emulator=/usr/bin/qemu-i386-static
# ELF class 1 (32-bit), little endian, machine 3 (i386); executables and
# shared objects (type 2 and 3, hence the 0xfe in the mask).
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

probe_dir=$(mktemp -d "${TMPDIR:-/tmp}/probe32.XXXXXX")
trap 'rm -rf "$probe_dir"' EXIT
echo 'int main(void) { return 0; }' > "$probe_dir/probe.c"
if ! cc -m32 "$probe_dir/probe.c" -o "$probe_dir/probe" 2>"$probe_dir/cc.log"; then
  echo "setup: cannot build a 32-bit program (is g++-multilib installed?):" >&2
  cat "$probe_dir/cc.log" >&2
  exit 1
fi
probe_runs() { "$probe_dir/probe" 2>/dev/null; }

emulated() { [ -f "$entry" ] && grep -q '^enabled' "$entry"; }

if [ "${EMULATE32:-0}" != 1 ] && probe_runs; then
  exit 0   # native, or already emulated: nothing to do
fi
if [ "${EMULATE32:-0}" = 1 ] && emulated; then
  exit 0
fi

commands=(
  "apt-get install -y qemu-user-static"
  "mountpoint -q $binfmt || mount -t binfmt_misc binfmt_misc $binfmt"
  "echo ':qemu-i386:M::$magic:$mask:$emulator:F' > $binfmt/register"
)
if [ "$(id -u)" -ne 0 ]; then
  echo "This kernel runs no 32-bit programs natively. As root, register the user-mode emulator:" >&2
  printf '  %s\n' "${commands[@]}" >&2
  exit 1
fi

if [ ! -x "$emulator" ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq qemu-user-static >/dev/null
fi
mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt"
if [ -f "$entry" ]; then
  echo 1 > "$entry"            # registered before but switched off
else
  printf '%s' ":qemu-i386:M::$magic:$mask:$emulator:F" > "$binfmt/register"
fi
if ! probe_runs; then
  echo "setup: a 32-bit program still does not start after registering $emulator" >&2
  cat "$entry" >&2 || true
  exit 1
fi
echo "setup: 32-bit programs run through the user-mode emulator $emulator (about ten times slower for computation)"
