"Slotted gasket, incremental coordinates"
%
G91
G0 X10 Y10
G1 X120
G3 X0 Y80 I0 J40
G1 X-120
G3 X0 Y-80 I0 J-40
G0 X0 Y25
G2 X0 Y0 I0 J15        "full circle: start and end are one point"
G0 X60 Y0
G2 X0 Y0 I0 J15
G0 X60 Y0
G2 X0 Y0 I0 J15
G0 X-80 Y-7
G1 X40
G2 X0 Y-10 I0 J-5
G1 X-40
G2 X0 Y10 I0 J5
G0 X-50 Y-28
M30
