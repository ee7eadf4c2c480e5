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
# ISO programs: a bracket in absolute coordinates read from its file, a
# gasket in incremental ones read from host memory, and a lathe shaft whose
# X words are diameters, turned so that Z runs across.
"$hostsim" view examples/iso_bracket_g90.nc --iso --png out/iso_bracket_g90.png --quiet
"$hostsim" view examples/iso_gasket_g91.nc --iso --from-memory --png out/iso_gasket_g91.png --quiet
"$hostsim" view examples/iso_shaft_lathe.nc --iso --axes XZ --diameter --orientation F \
  --png out/iso_shaft_lathe.png --quiet
written+=("out/iso_bracket_g90.png" "out/iso_gasket_g91.png" "out/iso_shaft_lathe.png")
if [ -x "$build/bin/hostsim" ] && "$hostsim" 2>&1 | grep -q screen-test; then
  "$hostsim" screen-test --png out/graphics.png >/dev/null
  written+=("out/graphics.png")
fi
"$hostsim" pens-demo --png out/pens.png >/dev/null
written+=("out/pens.png")
echo "Wrote:"
printf '  %s\n' "${written[@]}"
