; Small PIC18F452 program for the HEX reader tests: code at the reset and high-priority
; interrupt vectors, a routine above 0x100, ID locations, configuration settings and data
; EEPROM bytes.
        list    p=18f452
        #include <p18f452.inc>
        errorlevel -302         ; SFRs are reached through the access bank

        CONFIG  OSC = HS, WDT = OFF, LVP = OFF, PWRT = ON, BOR = OFF
        __idlocs _IDLOC0, 0x12
        __idlocs _IDLOC1, 0xA5
        __idlocs _IDLOC7, 0x07

        org     0x0000
reset_vector:
        goto    main

        org     0x0008
high_vector:
        retfie  FAST

        org     0x0100
main:
        movlw   0x55
        movwf   LATB, A
        clrf    TRISB, A
loop:
        incf    LATB, F, A
        bra     loop

        org     0xF00000
        de      0x12, 0x34, 0x56, 0x78
        de      "OK"
        end
