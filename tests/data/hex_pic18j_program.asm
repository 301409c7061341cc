; A J-series program: gpasm puts its CONFIG words at the end of FLASH (7FF8h on a
; 32 KB part), where the part keeps them.
        list p=18f45j10
        #include <p18f45j10.inc>
        config WDTEN = OFF, STVREN = ON, XINST = OFF, CP0 = OFF, FOSC = HS, FCMEN = OFF
        org 0
        goto start
        org 0x100
start:  movlw 0x55
        movwf LATB
        bra start
        end
