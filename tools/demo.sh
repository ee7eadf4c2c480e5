#!/usr/bin/env bash
# Runs the main job on the bundled examples and prints what it wrote.
set -eu
build=${1:-build}
mkdir -p out
echo "Libraries:"
ls "$build"/lib/lib*.so
echo
echo "Kerf texts (English):"
"$build"/bin/hostsim strings Kerf 9 | head -5
