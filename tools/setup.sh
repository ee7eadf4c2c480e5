#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# As root it installs what is missing; otherwise it prints the apt-get line.
# Then it makes sure 32-bit programs start (tools/setup-32bit.sh).
set -eu
packages=(cmake g++-multilib googletest libstb-dev console-setup-linux
          clang libclang-rt-14-dev iproute2 iputils-ping vsftpd db-util tshark
          gnumeric libcpp-httplib-dev chromium python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exec "$(dirname "$0")/setup-32bit.sh"
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Install them with:"
  echo "  sudo apt-get install -y ${missing[*]}"
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
exec "$(dirname "$0")/setup-32bit.sh"
