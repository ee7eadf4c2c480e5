; Plate with E20 rows of holes: each row is a sub-program that calls
; the hole sub-program once per hole
E20=3
E30=0
(DIS,"Plate, ",E20," rows of 5 holes")
(RPT,E20)
(CLS,ROW.SPF)
E30=E30+40
(ERP)
G0X0Y0
