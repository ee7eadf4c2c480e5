; A rectangle with rounded corners, sized by the operator
(SCR)
(DEF,0,1,"Width:  ")
(DEF,1,2,"Height: ")
(DEF,2,3,"Radius: ")
(DEF,3,5,"Area:   ")
(INP,0,E1)
(INP,1,E2)
(INP,2,E3)
(BLE,E3*2,E1,WIDE)
E3=E1/2
"WIDE"
(BLE,E3*2,E2,HIGH)
E3=E2/2
"HIGH"
E4=E1*E2-(4-3.1415927)*E3*E3
(OUT,3,E4)
(DIS,"Rectangle ",E1," x ",E2," R",E3)
E5=E1-E3
E6=E2-E3
G0XE3Y0
M52
G1XE5
G3XE1YE3I0JE3
G1YE6
G3XE5YE2I-E3J0
G1XE3
G3X0YE6I0J-E3
G1YE3
G3XE3Y0IE3J0
M53
