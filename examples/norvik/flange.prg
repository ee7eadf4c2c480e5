; Flange of radius E1 with a circle of E2 bolt holes
; (the bolt positions come from SIN and SOS in a repeat)
E1=100
E2=8
E3=70
E4=6
(DIS,"Flange R",E1,", ",E2," holes")
T1.1
Z1
Z0
E10=0
(RPT,E2)
E11=E3*SOS(E10)+E4
E12=E3*SIN(E10)
G0XE11YE12
M52
G2XE11YE12I-E4J0
M53
E10=E10+360/E2
(ERP)
G0XE1Y0
M52
G2XE1Y0I-E1J0
M53
G0X0Y0
