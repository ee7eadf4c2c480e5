; Two parts from the origin table FI1EOR: the second one mirrored in X
(UAO,1)
(CLS,PART.SPF)
(MIR,X)
(UOT,2,X0)
G79X0Y0
(CLS,PART.SPF)
(MIR)
