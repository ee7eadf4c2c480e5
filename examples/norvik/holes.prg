; Holes whose positions and radii come from the data file HOLES.DAT
(DER,0,E1,E2,E3)
(OPN,0,HOLES.DAT)
E9=0
"NEXT"
(RED,0,0)
E4=E1+E3
G0XE4YE2
M52
G2XE4YE2I-E3J0
M53
E9=E9+1
(BLT,E9,6,NEXT)
(CLO,0)
G0X0Y0
