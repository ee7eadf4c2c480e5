#!/bin/sh
# Writes hostsim's option reference (hostsim help --markdown) into the
# README between its two marker lines.
set -e
build=${1:-build}
generated=$(mktemp)
trap 'rm -f "$generated"' EXIT
"$build/bin/hostsim" help --markdown > "$generated"
awk -v file="$generated" '
  /^<!-- hostsim help --markdown: begin -->$/ { print; while ((getline line < file) > 0) print line; skip = 1; next }
  /^<!-- hostsim help --markdown: end -->$/ { skip = 0 }
  !skip { print }
' README.md > README.md.new
mv README.md.new README.md
