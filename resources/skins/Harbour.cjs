; Harbour: a sample skin for Vorlane's own skin engine.
; To use it, copy it to the program folder as x\o.cjs.
[Vorlane Skin]
Window=#1F3A4D
Face=#DCEBF2
Text=#0B2433
Button=#2E6F8E
ButtonText=#FFFFFF
List=#F4FAFC
ListText=#0B2433
Font=Tahoma
FontSize=9
FontBold=1
