% flange plate 200 x 120 with rounded corners, a bore and two slots
N10 G90 G17
N20 G0 X20 Y0          (lead to the outline)
N30 G1 X180
N40 G3 X200 Y20 I0 J20
N50 G1 Y100
N60 G3 X180 Y120 I-20 J0
N70 G1 X20
N80 G3 X0 Y100 I0 J-20
N90 G1 Y20
N100 G3 X20 Y0 I20 J0
N110 G0 X130 Y60       (bore: a full circle)
N120 G2 X130 Y60 I-30 J0
N130 G0 X30 Y40        (slot with round ends)
N140 G1 X60
N150 G3 X60 Y80 I0 J20
N160 G1 X30
N170 G3 X30 Y40 I0 J-20
N180 G0 X0 Y0
%
