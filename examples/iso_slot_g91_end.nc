"Plate with a slot: the outline in absolute coordinates, the slot in incremental ones"
"The program ends in G91 away from its start"
%
N10 G90 G0 X10 Y10
N20 G1 X110 Y10
N30 G3 X130 Y30 I0 J20
N40 G1 Y80
N50 G1 X10
N60 G1 Y10
N70 G91
N80 G0 X40 Y20
N90 G1 X40
N100 G3 X0 Y20 I0 J10
N110 G1 X-40
N120 G3 X0 Y-20 I0 J-10
N130 G0 X60 Y30
