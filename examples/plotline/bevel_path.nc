% bevel cut: the torch dips along Z on the straight edges; an arc in the XZ plane
N10 G90 G17
N20 G0 X0 Y0 Z20
N30 G1 Z0
N40 G1 X150 Z-5
N50 G3 X200 Y50 I0 J50
N60 G1 Y150 Z-10
N70 G18 G2 X160 Z-10 I-20 K0
N80 G17 G1 X0 Y150 Z0
N90 G1 Y0
N100 G0 Z20
%
