"Stepped shaft for the lathe: X in diameters, Z along the axis"
%
G90 G0 X0 Z5
G1 Z0
X40
G2 X60 Z-10 I0 K-10
G1 Z-60
X80 Z-70
Z-120
G3 X100 Z-130 I10 K0
G1 Z-180
X70 Z-195
Z-230
X0
G0 Z5
M30
