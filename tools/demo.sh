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
# Nesting programs from one contour through the transformation dialog: rows
# of pairs with the even copies turned half round, every second row one
# copy shorter and shifted; and a matrix of copies turned by 30 degrees.
"$hostsim" transform --kind 0 --field n=8 --field nx=3 --field angle=0 --field angle-even=180 \
  --field x-shift=60 --field pair-shift=120 --field y-shift=40 --field row-shift=30 \
  --field shorter=yes --odd examples/nest_part.knf --out out/nest_pairs.knf \
  --png out/nest_pairs.png --dialog-png out/nest_dialog.png --quiet
"$hostsim" transform --kind 2 --field nx=3 --field ny=2 --field x-shift=70 --field y-shift=60 \
  --field angle=30 --odd examples/nest_part.knf --out out/nest_matrix.knf \
  --png out/nest_matrix.png --quiet
written+=("out/nest_pairs.png" "out/nest_pairs.knf" "out/nest_dialog.png" "out/nest_matrix.png"
          "out/nest_matrix.knf")
# Path view: a flat part in plan, a bevel path with Z moves on a type F
# machine in axonometry and perspective, the part on a mirrored and on a
# swapped machine, and a run followed as an animated PNG.
pl=examples/plotline
"$hostsim" plotline $pl/flange_plate.nc --machine $pl/plain.machine --keys 34,35 \
  --png out/plotline_plan.png --quiet
"$hostsim" plotline $pl/bevel_path.nc --machine $pl/bevel_f.machine --view axo \
  --png out/plotline_axo.png --quiet
"$hostsim" plotline $pl/bevel_path.nc --machine $pl/bevel_f.machine --view persp \
  --png out/plotline_persp.png --quiet
"$hostsim" plotline $pl/flange_plate.nc --machine $pl/mirrored.machine --png out/plotline_mirrored.png --quiet
"$hostsim" plotline $pl/flange_plate.nc --machine $pl/swapped.machine --png out/plotline_swapped.png --quiet
"$hostsim" plotline $pl/flange_plate.nc --machine $pl/plain.machine --keys 22 --run out/plotline_run \
  --apng out/plotline_run.png --png out/plotline_ran.png --quiet
written+=("out/plotline_plan.png" "out/plotline_axo.png" "out/plotline_persp.png"
          "out/plotline_mirrored.png" "out/plotline_swapped.png" "out/plotline_run.png"
          "out/plotline_ran.png")
# Parametric programs translated by the preprocessor (the operator's
# answers given on the command line), and each result drawn as an ISO
# program and as a path.
for program in examples/norvik/*.prg; do
  name=norvik_$(basename "$program" .prg)
  inputs=()
  [ "$name" = norvik_sized ] && inputs=(--input 200 --input 120 --input 15)
  "$hostsim" preprocess "$program" --out "out/$name.nc" "${inputs[@]}" --png "out/${name}_screen.png" --quiet
  "$hostsim" view --iso "out/$name.nc" --png "out/$name.png" --quiet
  "$hostsim" plotline "out/$name.nc" --png "out/${name}_path.png" --quiet
  written+=("out/$name.nc" "out/${name}_screen.png" "out/$name.png" "out/${name}_path.png")
done
if [ -x "$build/bin/hostsim" ] && "$hostsim" 2>&1 | grep -q screen-test; then
  "$hostsim" screen-test --png out/graphics.png >/dev/null
  written+=("out/graphics.png")
fi
"$hostsim" pens-demo --png out/pens.png >/dev/null
# The file manager over the examples folder: the last two files marked
# (directories come first, so the list's end is always files), then put on
# the clipboard and pasted into the same folder, which stops at the
# overwrite question.
"$hostsim" files --drive-c examples --keys "end mark up mark" --png out/files.png >/dev/null
"$hostsim" files --drive-c examples --keys "end mark up mark clip paste" \
  --png out/files_overwrite.png >/dev/null
written+=("out/pens.png" "out/files.png" "out/files_overwrite.png")
# The signal scope over a simulated sample ring: a stopped recording of
# analog and digital signals with its trigger mark; the left half at 25 and
# the right half at 100 ms/div; a running sweep half way across; and the
# bundled recording of a pierce, scaled channel by channel and exported.
"$hostsim" scope --trigger 5800 --png out/scope_stopped.png --quiet
"$hostsim" scope --trigger 5800 --layout L --keys 'layout P,tb+,tb+' --png out/scope_halves.png --quiet
"$hostsim" scope --run 250 --sweep --png out/scope_sweep.png --quiet
"$hostsim" scope --csv examples/scope_pierce.csv --digital 6,7,8,9 \
  --keys 'tb+,tb+,auto,select,auto,select,auto,select,auto,select,auto,select,auto,select,export' \
  --export out/scope_pierce.txt --png out/scope_pierce.png --quiet
written+=("out/scope_stopped.png" "out/scope_halves.png" "out/scope_sweep.png" "out/scope_pierce.png"
          "out/scope_pierce.txt")
# The NC program viewer on an ISO program from host memory: block 90
# followed, then block 80 (its G71 writes "N80" at the hint line's end),
# the text shifted two columns.
"$hostsim" ncview examples/iso_ncview_frame.nc --follow 90,80 --keys right,right --status RUN \
  --png out/ncview.png
written+=("out/ncview.png")
# Path graphics while the machine runs the bracket (1 mm a call, a frame
# every 100 calls, the origin bottom left, a zoom out and back half way);
# a correction form adding a change to entry 15 of a sample table (the
# table written to out/korekce.tab), and the same form in Czech.
rm -rf out/path_frames
"$hostsim" path examples/iso_bracket_g90.nc --frames out/path_frames --every 100 --origin 1 \
  --keys 900:zoom-out,950:zoom-in >/dev/null
"$hostsim" table-form --form inkor2 --table examples/tracer/korekce.tab --keys "15 down left 2125 down" \
  --png out/table_form.png > out/table_form.txt
"$hostsim" table-form --form inkor2 --table examples/tracer/korekce.tab --keys "15 down left 2125 down" \
  --lang 5 --png out/table_form_cs.png >/dev/null
"$hostsim" table-form --form inkor2 --table examples/tracer/korekce.tab \
  --keys "15 down left 2125 down enter" > out/korekce.txt
written+=("out/path_frames/" "out/table_form.png" "out/table_form_cs.png" "out/table_form.txt"
          "out/korekce.txt")
# A technology screen with its picture after a typed value was handed over.
"$hostsim" technol examples/technology.txt --screen 1 --picture 0=examples/tracer/torch.ppm \
  --keys "12 point 5 next 260" --png out/technol.png > out/technol.txt
written+=("out/technol.png" "out/technol.txt")
# The language files installed in English over a sandbox copy of the example
# system directory, both folders listed before and after.
"$hostsim" install-language --sysdir examples/tracer/language/sys --cwd examples/tracer/language/cwd \
  --lang 9 > out/install_language.txt
written+=("out/install_language.txt")
# The display block's test card in both text styles.
"$hostsim" display-test --style screen --png out/display_screen.png >/dev/null
"$hostsim" display-test --style form --png out/display_form.png >/dev/null
written+=("out/display_screen.png" "out/display_form.png")
# The diagnostics library: the system-information panel (a plasma table; a
# flame-cutting table with six correction rows and 4 decimals; the
# second-spindle variant), two refresh cycles each; the event log live, and stopped,
# paged back and filtered; EVENTS.TXT and EVCRITIC.TXT of that day.
"$hostsim" vitals panel --calls 400 --png out/vitals_panel.png >/dev/null
"$hostsim" vitals panel --machine F --set rows=6 --set mode=1 --set correction=12 --set decimals=4 \
  --set length6=-0.0125 --calls 400 --png out/vitals_panel_f.png >/dev/null
"$hostsim" vitals panel --variant --machine F --set rows=6 --set warning=1 --calls 400 \
  --png out/vitals_panel_s2.png >/dev/null
rm -rf out/events
"$hostsim" vitals events --ring examples/events.txt --critical --export out/events \
  --png out/events_live.png >/dev/null
"$hostsim" vitals events --ring examples/events.txt --layout L \
  --keys 'live,live,back,back,filter,filter' --png out/events_filtered.png >/dev/null
written+=("out/vitals_panel.png" "out/vitals_panel_f.png" "out/vitals_panel_s2.png" "out/events_live.png" "out/events_filtered.png"
          "out/events/EVENTS.TXT" "out/events/EVCRITIC.TXT")
# Diagnostics screens: inputs with hand-set bits marked, the keyboard test
# after a key script, both LED strips, an SLM channel and the servo channels.
"$hostsim" vitals inputs --layout C --set manual=1 --set mark@3=0x0F --set mark2@12=0x81 --set in@12=0x80 \
  --png out/vitals_inputs.png >/dev/null
"$hostsim" vitals keyboard --type D --held "5;5;;12,13,14,15;;40" --set redirection=1 --set pot1=512 \
  --png out/vitals_keyboard.png >/dev/null
"$hostsim" vitals leds --leds 0x5A --png out/vitals_leds.png >/dev/null
"$hostsim" vitals leds --leds 0x15 --labelled --png out/vitals_leds_labelled.png >/dev/null
"$hostsim" vitals slm --keys 1,2 --set speed@2=-120 --set error@2=3 --png out/vitals_slm.png >/dev/null
"$hostsim" vitals servo --set dif@7=123456789 --set dif@8=-2147483648 --png out/vitals_servo.png >/dev/null
written+=("out/vitals_inputs.png" "out/vitals_keyboard.png" "out/vitals_leds.png" "out/vitals_leds_labelled.png"
          "out/vitals_slm.png" "out/vitals_servo.png")
# Zero-offset forms: a shift written as entered, the hard-wired write of the
# current axis values after its delay, and the fixed table reset (its file
# written to out/fix/TABFIX.POS).
"$hostsim" table-form --form zapis --position 1=40 --keys "down left 12 down" --png out/shift_form.png \
  > out/shift_form.txt
"$hostsim" table-form --form natvrdo --preset-table 4 --position 0=12.5 --position 1=-3 \
  --setting 348=0x40003 --keys "wait=19" --png out/shift_hardwired.png > out/shift_hardwired.txt
mkdir -p out/fix
"$hostsim" table-form --form fix --keys "up enter" --fix-dir out/fix > out/fix/reset.txt
written+=("out/shift_form.png" "out/shift_form.txt" "out/shift_hardwired.png" "out/shift_hardwired.txt"
          "out/fix/TABFIX.POS")
# ISO contour view: the bundled ISO programs, one ending in G91 away from
# its start (drawn where it lies), the small panel, the start cross, the
# large layout with the label at the right, and block by block.
for program in examples/iso_*.nc; do
  name=showiso_$(basename "$program" .nc)
  options=(--axes XY)
  [ "$name" = showiso_iso_shaft_lathe ] && options=(--axes XZ --plane 6 --diameter)
  "$hostsim" showiso "$program" "${options[@]}" --png "out/$name.png" --quiet
  written+=("out/$name.png")
done
"$hostsim" showiso examples/iso_slot_g91_end.nc --kind 1 --png out/showiso_panel.png --quiet
"$hostsim" showiso examples/iso_slot_g91_end.nc --kind 2 --png out/showiso_cross.png --quiet
"$hostsim" showiso examples/iso_gasket_g91.nc --large --label right --png out/showiso_large.png --quiet
"$hostsim" showiso examples/iso_bracket_g90.nc --block-by-block --png out/showiso_blocks.png --quiet
written+=("out/showiso_panel.png" "out/showiso_cross.png" "out/showiso_large.png" "out/showiso_blocks.png")
# The transformation dialog after a plane save (axes X and Y, a1, a2 and
# the angle entered).
"$hostsim" transform-dialog --type 1 --keys "next next enter X Y next 12 point 5 next 3 next 45 next enter" \
  --png out/transform_dialog.png > out/transform_dialog.txt
written+=("out/transform_dialog.png" "out/transform_dialog.txt")
# Mosaic's LED window: a negative height correction with variant A active.
"$hostsim" led --corr -7992 --transform A --png out/led.png --quiet
written+=("out/led.png")
# The CAN bus monitor over the bundled log (heartbeats, PDOs, SDO answers
# and the control's requests in the lower pane): recording from the start,
# a packet entered and sent after one second, the recording and the sent
# messages written out.
"$hostsim" canview --log examples/can_bus.log --for 500 \
  --keys 'record,wait 1000,new,type:0602,down,type:8,down,type:40,down,type:00,down,type:10,down,down,down,down,down,down,enter,wait 500,stop' \
  --png out/canview.png --packets out/PACKETS.TXT --sent out/canview_sent.log >/dev/null
written+=("out/canview.png" "out/PACKETS.TXT" "out/canview_sent.log")
# The CAN peripherals of the second line: output OP0 of module 2 set to 255
# over SDO (object 0x6200 = 25088, subindex 1), the answer on the whole
# screen; the second keyboard on the right half.
"$hostsim" can-periph --actions "node 47 next 25088 next 1 next 255 send" \
  --png out/can_periph.png > out/can_periph.txt
"$hostsim" can-periph --layout P --actions "type node" --png out/can_periph_right.png >/dev/null
written+=("out/can_periph.png" "out/can_periph.txt" "out/can_periph_right.png")
# Service files into host data: the CAN line 1 SDO requests, the PLC texts
# in both encodings, a parameter table as program text, and the marking
# texts of a cutting program (the copy with its reference blocks as well).
"$hostsim" can-params examples/can > out/can_params.txt
{ "$hostsim" plc-texts examples/plc --lang 9; "$hostsim" plc-texts examples/plc --lang 5; } > out/plc_texts.txt
"$hostsim" params examples/params.tab --header '$PAR' > out/params.txt
"$hostsim" kerf-texts examples/marked_bracket.knf --out out/kerf_texts_copy.knf > out/kerf_texts.txt
written+=("out/can_params.txt" "out/plc_texts.txt" "out/params.txt" "out/kerf_texts.txt" "out/kerf_texts_copy.knf")
echo "Wrote:"
printf '  %s\n' "${written[@]}"
