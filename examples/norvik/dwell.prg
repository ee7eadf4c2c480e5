; Dwell before each pierce, longer every time, in a conditional loop
E1=0
"LOOP"
E1=E1+1
E2=E1*30
G0XE2Y0
M52
(DLY,0.5+E1/10)
G1XE2Y20
M53
(BLE,E1,5,LOOP)
G0X0Y0
