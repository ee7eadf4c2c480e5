#!/usr/bin/env bash
# The main job on the bundled examples: every cutting program drawn by the
# real library through hostsim, written to out/*.png.
set -eu
build=${1:-build}
hostsim="$build/bin/hostsim"
mkdir -p out
written=()
for program in examples/*.knf; do
  name=$(basename "$program" .knf)
  "$hostsim" view "$program" --png "out/$name.png" --quiet
  written+=("out/$name.png")
done
# The flange turned on its side, with its first three parts selected and
# copied into a program of their own.
"$hostsim" view examples/flange.knf --orientation F --parts 3 --copy out/flange_parts.knf \
  --png out/flange_parts.png --quiet
written+=("out/flange_parts.png" "out/flange_parts.knf")
if [ -x "$build/bin/hostsim" ] && "$hostsim" 2>&1 | grep -q screen-test; then
  "$hostsim" screen-test --png out/graphics.png >/dev/null
  written+=("out/graphics.png")
fi
"$hostsim" pens-demo --png out/pens.png >/dev/null
written+=("out/pens.png")
echo "Wrote:"
printf '  %s\n' "${written[@]}"
